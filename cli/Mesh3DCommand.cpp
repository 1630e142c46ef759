#include "cli/Mesh3DCommand.h"

#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "cli/AsciiSpellings.h"
#include "cli/JsonWriter.h"
#include "cli/Usage.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph3d/EquationMesh3D.h"
#include "graph3d/MeshCapacities3D.h"
#include "graph3d/MeshFileWriter.h"
#include "graph3d/PrintableMesh.h"

namespace plotwise::cli {

namespace {

enum class Format { Json, Obj, Stl, Ply };

// Steps per axis --divisions allows: 512³ cells are well within what a printer's mesh needs.
constexpr int kMostDivisions = 512;

struct Mesh3DOptions {
    float scale = 1.0f;
    int divisions = 0;  // 0: the device's divisions for the equation's kind
    DeviceClass device = DeviceClass::Phone;
    bool accurate = false;
    Format format = Format::Json;
    std::string output;  // empty: standard output
    std::string expression;
};

std::optional<Format> formatNamed(std::string_view name) {
    if (name == "json") {
        return Format::Json;
    }
    if (name == "obj") {
        return Format::Obj;
    }
    if (name == "stl") {
        return Format::Stl;
    }
    if (name == "ply") {
        return Format::Ply;
    }
    return std::nullopt;
}

// Returns an exit status when the command ends here (help, unusable arguments).
std::optional<int> readOptions(Arguments arguments, Mesh3DOptions& options, std::ostream& out,
                               std::ostream& err) {
    CommandLine line("mesh3d");
    bool tablet = false;
    std::string scale;
    std::string divisions;
    std::string format;
    line.flag("--tablet", tablet);
    line.flag("--accurate", options.accurate);
    line.option("--scale", scale, "a number");
    line.option("--divisions", divisions, "a whole number");
    line.option("--format", format, "json, obj, stl or ply");
    line.option("-o,--output", options.output, "a file name");
    if (const auto status = parseCommandLine(line, arguments, commandUsage("mesh3d"), out, err)) {
        return status;
    }
    options.device = tablet ? DeviceClass::Tablet : DeviceClass::Phone;
    if (line.app().count("--scale") > 0) {
        const auto number = parseNumber(scale);
        // The box runs from -7/S to 7/S: S must be a positive finite number whose box is
        // finite too.
        if (!number || !(*number > 0) || !std::isfinite(7.0f / static_cast<float>(*number)) ||
            !(7.0f / static_cast<float>(*number) > 0)) {
            return usageError(err, "--scale needs a positive number, got '" + echoed(scale) + "'");
        }
        options.scale = static_cast<float>(*number);
    }
    if (line.app().count("--divisions") > 0) {
        const auto number = parseNumber(divisions);
        if (!number || !(*number >= 1 && *number <= kMostDivisions) ||
            *number != std::floor(*number)) {
            return usageError(err, "--divisions needs a whole number from 1 to " +
                                       std::to_string(kMostDivisions) + ", got '" +
                                       echoed(divisions) + "'");
        }
        options.divisions = static_cast<int>(*number);
    }
    if (line.app().count("--format") > 0) {
        const auto named = formatNamed(format);
        if (!named) {
            return usageError(err, "--format needs json, obj, stl or ply");
        }
        options.format = *named;
    }
    if (line.app().count("--output") > 0 && options.output.empty()) {
        return usageError(err, "-o needs a file name");
    }
    const std::vector<std::string> words = line.words();
    if (words.empty()) {
        return usageError(err, "mesh3d needs an expression");
    }
    options.expression = joinedWords(words);
    return std::nullopt;
}

// The shortest text of a float, as the double it reads back to, so that JSON shows 0.46666667
// rather than the float's exact binary value.
double shortFloat(float value) {
    if (!std::isfinite(value)) {
        return value;
    }
    std::array<char, 32> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    double shortest = value;
    std::from_chars(buffer.data(), written.ptr, shortest);
    return shortest;
}

std::string meshJson(const EquationMesh3D& mesh) {
    JsonWriter json;
    json.beginObject()
        .key("ok")
        .value(true)
        .key("type")
        .value(toInt(mesh.type()))
        .key("dataObjectCount")
        .value(static_cast<int>(mesh.dataObjectCount()))
        .key("dataIndexCount")
        .value(static_cast<int>(mesh.dataIndexCount()))
        .key("linesIndexCount")
        .value(static_cast<int>(mesh.linesIndexCount()))
        .key("horizontalSteps")
        .value(mesh.horizontalSteps())
        .key("verticalSteps")
        .value(mesh.verticalSteps())
        .key("vertices")
        .beginArray();
    for (const MeshVertex& v : mesh.mesh().vertices) {
        json.beginArray();
        for (const float c : {v.x, v.y, v.z, v.nx, v.ny, v.nz}) {
            json.value(shortFloat(c));
        }
        json.endArray();
    }
    json.endArray().key("indices").beginArray();
    for (const std::uint32_t index : mesh.mesh().indices) {
        json.value(static_cast<double>(index));
    }
    json.endArray().key("lineIndices").beginArray();
    for (const std::uint32_t index : mesh.mesh().lineIndices) {
        json.value(static_cast<double>(index));
    }
    json.endArray().endObject();
    return json.text() + '\n';
}

}  // namespace

int runMesh3D(Arguments arguments, std::ostream& out, std::ostream& err) {
    Mesh3DOptions options;
    if (const auto status = readOptions(arguments, options, out, err)) {
        return *status;
    }
    const bool jsonToOut = options.format == Format::Json && options.output.empty();

    // As the application builds an equation: parsed like the keyboard (derivatives carried out),
    // classified, compiled, and evaluated over the 3D view's box for its kind and device.
    VariableTable table{};
    const ParsedExpression parsed = parseTypedExpression(options.expression, table.data());
    if (!parsed.tree) {
        return inputFailure(out, err, jsonToOut, toUtf8(parsed.error->text()),
                            parsed.errorPosition);
    }
    const EquationType type = classifyExpression(*parsed.tree).equationType;
    EquationMesh3D mesh;
    mesh.setExpression(parsed.tree.get(), type);
    // Files and JSON take 32-bit indices: only the memory budget bounds the mesh.
    const MeshCapacities3D capacities =
        MeshCapacities3D::forDevice(options.device, IndexWidth::Bits32);
    const float divisions = options.divisions > 0 ? static_cast<float>(options.divisions)
                                                  : capacities.divisionsForType(type);
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(options.scale, divisions);
    mesh.evaluateWithLimits(limits, true, options.device, !options.accurate, IndexWidth::Bits32);

    std::ostringstream file(std::ios::binary);
    if (options.format == Format::Json) {
        file << meshJson(mesh);
    } else {
        const PrintableMesh printable = PrintableMesh::fromMesh(mesh.mesh(), type);
        if (options.format == Format::Obj) {
            MeshFileWriter::writeObj(printable, file);
        } else if (options.format == Format::Stl) {
            MeshFileWriter::writeStl(printable, file);
        } else {
            MeshFileWriter::writePly(printable, file);
        }
    }
    const std::string bytes = file.str();
    if (options.output.empty()) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return kExitSuccess;
    }
    std::ofstream stream(options.output, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) {
        err << "plotwise-cli: cannot write '" << options.output << "'\n";
        return kExitInputFailure;
    }
    return kExitSuccess;
}

}  // namespace plotwise::cli
