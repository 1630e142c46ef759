#include "cli/Mesh3DCommand.h"

#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <ostream>
#include <sstream>

#include "cli/JsonWriter.h"
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

struct Mesh3DOptions {
    float scale = 1.0f;
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

// Returns an exit status when the arguments are unusable.
std::optional<int> readOptions(Arguments arguments, Mesh3DOptions& options, std::ostream& err) {
    bool positionalOnly = false;
    bool haveExpression = false;
    // The value of an option written "--name VALUE" or "--name=VALUE".
    const auto valueOf = [&](std::size_t& i, std::string_view name) -> std::optional<std::string> {
        const std::string& argument = arguments[i];
        if (argument.size() > name.size() && argument[name.size()] == '=') {
            return argument.substr(name.size() + 1);
        }
        if (i + 1 >= arguments.size()) {
            return std::nullopt;
        }
        return arguments[++i];
    };
    const auto isOption = [](const std::string& argument, std::string_view name) {
        return argument == name || (argument.starts_with(name) && argument.size() > name.size() &&
                                    argument[name.size()] == '=');
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!positionalOnly && argument == "--") {
            positionalOnly = true;
        } else if (!positionalOnly && argument == "--tablet") {
            options.device = DeviceClass::Tablet;
        } else if (!positionalOnly && argument == "--accurate") {
            options.accurate = true;
        } else if (!positionalOnly && isOption(argument, "--scale")) {
            const auto text = valueOf(i, "--scale");
            if (!text) {
                return usageError(err, "--scale needs a number");
            }
            const auto number = parseNumber(*text);
            // The box runs from -7/S to 7/S: S must be a positive finite number whose box is
            // finite too.
            if (!number || !(*number > 0) || !std::isfinite(7.0f / static_cast<float>(*number)) ||
                !(7.0f / static_cast<float>(*number) > 0)) {
                return usageError(err, "--scale needs a positive number, got '" + *text + "'");
            }
            options.scale = static_cast<float>(*number);
        } else if (!positionalOnly && isOption(argument, "--format")) {
            const auto text = valueOf(i, "--format");
            const auto format = text ? formatNamed(*text) : std::nullopt;
            if (!format) {
                return usageError(err, "--format needs json, obj, stl or ply");
            }
            options.format = *format;
        } else if (!positionalOnly && (argument == "-o" || isOption(argument, "--output"))) {
            const auto text = argument == "-o" ? (i + 1 < arguments.size()
                                                      ? std::optional<std::string>(arguments[++i])
                                                      : std::nullopt)
                                               : valueOf(i, "--output");
            if (!text || text->empty()) {
                return usageError(err, "-o needs a file name");
            }
            options.output = *text;
        } else if (const auto status = appendExpressionWord(
                       argument, positionalOnly, options.expression, haveExpression, err)) {
            return status;
        }
    }
    if (!haveExpression) {
        return usageError(err, "mesh3d needs an expression");
    }
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
    for (const std::uint16_t index : mesh.mesh().indices) {
        json.value(static_cast<int>(index));
    }
    json.endArray().key("lineIndices").beginArray();
    for (const std::uint16_t index : mesh.mesh().lineIndices) {
        json.value(static_cast<int>(index));
    }
    json.endArray().endObject();
    return json.text() + '\n';
}

}  // namespace

int runMesh3D(Arguments arguments, std::ostream& out, std::ostream& err) {
    Mesh3DOptions options;
    if (const auto status = readOptions(arguments, options, err)) {
        return *status;
    }
    const bool jsonToOut = options.format == Format::Json && options.output.empty();

    // As the application builds an equation: parsed like the keyboard (derivatives carried out),
    // classified, compiled, and evaluated over the 3D view's box for its kind and device.
    VariableTable table{};
    const ParsedExpression parsed = parseExpression(toUtf16(options.expression), table.data());
    if (!parsed.tree) {
        return inputFailure(out, err, jsonToOut, toUtf8(parsed.error->text()),
                            parsed.errorPosition);
    }
    const EquationType type = classifyExpression(*parsed.tree).equationType;
    EquationMesh3D mesh;
    mesh.setExpression(parsed.tree.get(), type);
    const MeshCapacities3D capacities = MeshCapacities3D::forDevice(options.device);
    const EvaluationLimits3D limits =
        EvaluationLimits3D::forScale(options.scale, capacities.divisionsForType(type));
    mesh.evaluateWithLimits(limits, true, options.device, !options.accurate);

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
