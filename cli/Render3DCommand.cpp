#include "cli/Render3DCommand.h"

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <charconv>
#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/DrawnEquations.h"
#include "cli/JsonWriter.h"
#include "cli/QtCommandSupport.h"
#include "cli/Usage.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "equations/ColorText.h"
#include "graph3d/RVEquation3D.h"
#include "graph3d/view/MeshBufferStore3D.h"
#include "graph3d/view/SceneRenderer3D.h"
#include "graph3d/view/SceneState3D.h"

namespace plotwise::cli {

namespace {

// Beyond any screen, and a colour, depth and read-back image of at most 256 MiB each; what the
// driver refuses below it is reported as a framebuffer failure.
constexpr int kMaximumSide = 8192;

const std::string kNoOpenGL = "no OpenGL (no X display with GLX; try xvfb-run)";

struct Render3DOptions {
    std::vector<std::string> expressions;
    std::string output;
    int width = 800;
    int height = 600;
    int mode = SceneState3D::Shaded;
    float rotationX = 0.0f;
    float rotationY = 0.0f;
    float scale = 1.0f;
    bool light = false;
    bool labels = false;
    bool tablet = false;
    bool accurate = false;
    bool json = false;
    std::vector<ChosenColor> colors;
};

std::optional<int> parseSide(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > kMaximumSide) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> modeNamed(std::string_view name) {
    if (name == "points") {
        return SceneState3D::Points;
    }
    if (name == "wire") {
        return SceneState3D::Wireframe;
    }
    if (name == "shaded") {
        return SceneState3D::Shaded;
    }
    return std::nullopt;
}

// Returns an exit status when the command ends here (help, unusable arguments).
std::optional<int> readOptions(Arguments arguments, Render3DOptions& options, std::ostream& out,
                               std::ostream& err) {
    CommandLine line("render3d");
    std::string size;
    std::string mode;
    std::string scale;
    std::vector<std::string> rotation;
    std::vector<std::string> colors;
    line.flag("--json", options.json);
    line.flag("--light", options.light);
    line.flag("--labels", options.labels);
    line.flag("--tablet", options.tablet);
    line.flag("--accurate", options.accurate);
    line.option("-o,--output", options.output, "a file name");
    line.option("--size", size, "WxH, whole pixels from 1 to 8192");
    line.option("--mode", mode, "points, wire or shaded");
    line.option("--scale", scale, "a zoom from 0.05 to 30");
    line.values("--rotation", rotation, 2, "AX AY, a drag in points");
    line.repeated("--color", colors, "RRGGBB or RRGGBBAA in hexadecimal");
    if (const auto status = parseCommandLine(line, arguments, commandUsage("render3d"), out, err)) {
        return status;
    }
    if (line.app().count("--output") > 0 && options.output.empty()) {
        return usageError(err, "-o needs a file name");
    }
    if (line.app().count("--size") > 0) {
        const auto separator = size.find_first_of("xX");
        const auto width = separator == std::string::npos
                               ? std::nullopt
                               : parseSide(std::string_view(size).substr(0, separator));
        const auto height = separator == std::string::npos
                                ? std::nullopt
                                : parseSide(std::string_view(size).substr(separator + 1));
        if (!width || !height) {
            return usageError(err, "--size needs WxH, whole pixels from 1 to 8192");
        }
        options.width = *width;
        options.height = *height;
    }
    if (line.app().count("--mode") > 0) {
        const auto named = modeNamed(mode);
        if (!named) {
            return usageError(err, "--mode needs points, wire or shaded");
        }
        options.mode = *named;
    }
    if (line.app().count("--scale") > 0) {
        const auto number = parseNumber(scale);
        if (!number || !(*number >= SceneState3D::minScaleFactor) ||
            !(*number <= SceneState3D::maxScaleFactor)) {
            return usageError(err,
                              "--scale needs a zoom from 0.05 to 30, got '" + echoed(scale) + "'");
        }
        options.scale = static_cast<float>(*number);
    }
    if (!rotation.empty()) {
        const auto x = parseNumber(rotation[0]);
        const auto y = parseNumber(rotation[1]);
        if (!x || !y || !std::isfinite(*x) || !std::isfinite(*y)) {
            return usageError(err, "--rotation needs AX AY, two finite numbers");
        }
        options.rotationX = static_cast<float>(*x);
        options.rotationY = static_cast<float>(*y);
    }
    for (const std::string& text : colors) {
        bool hasAlpha = false;
        const auto color = parseColor(text, &hasAlpha);
        if (!color) {
            return usageError(err, "--color needs RRGGBB or RRGGBBAA in hexadecimal");
        }
        options.colors.push_back({*color, hasAlpha});
    }
    options.expressions = line.words();
    if (options.expressions.empty()) {
        return usageError(err, "render3d needs at least one expression");
    }
    if (options.output.empty()) {
        return usageError(err, "render3d needs -o FILE.png");
    }
    if (options.colors.size() > options.expressions.size()) {
        return usageError(err, "more --color values than expressions");
    }
    return std::nullopt;
}

// What --json reports of an equation, read before the upload frees its client mesh.
struct EquationReport {
    int type = 0;
    std::string color;
    int dataObjectCount = 0;
    int dataIndexCount = 0;
    int linesIndexCount = 0;
};

void printJson(std::ostream& out, const Render3DOptions& options, const std::string& renderer,
               const std::vector<EquationReport>& reports) {
    JsonWriter json;
    json.beginObject()
        .key("ok")
        .value(true)
        .key("file")
        .value(options.output)
        .key("width")
        .value(options.width)
        .key("height")
        .value(options.height)
        .key("renderer")
        .value(renderer)
        .key("equations")
        .beginArray();
    for (std::size_t i = 0; i < reports.size(); ++i) {
        json.beginObject()
            .key("expression")
            .value(options.expressions[i])
            .key("type")
            .value(reports[i].type)
            .key("color")
            .value(reports[i].color)
            .key("dataObjectCount")
            .value(reports[i].dataObjectCount)
            .key("dataIndexCount")
            .value(reports[i].dataIndexCount)
            .key("linesIndexCount")
            .value(reports[i].linesIndexCount)
            .endObject();
    }
    json.endArray().endObject();
    out << json.text() << '\n';
}

}  // namespace

int runRender3D(Arguments arguments, std::ostream& out, std::ostream& err) {
    Render3DOptions options;
    if (const auto status = readOptions(arguments, options, out, err)) {
        return *status;
    }

    VariableTable table{};
    std::vector<std::unique_ptr<RVEquation3D>> equations;
    if (const auto status = makeDrawnEquations(
            options.expressions, options.colors, options.json, table,
            [](auto tree) { return RVEquation3D::equation3DwithOperationTree(std::move(tree)); },
            equations, out, err)) {
        return *status;
    }

    const QtMessageFilter quiet;
    const std::unique_ptr<QGuiApplication> application =
        offscreenApplicationIfNone<QGuiApplication>();
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !surface.isValid() || !context.makeCurrent(&surface)) {
        return outputFailure(out, err, options.json, kNoOpenGL);
    }

    // The phone's (tablet's) screen of that size, from the reset view: zoom, then one drag.
    const DeviceClass device = options.tablet ? DeviceClass::Tablet : DeviceClass::Phone;
    SceneState3D state;
    state.setVisualizationMode(options.mode);
    state.applyIncrement(0.0f, 0.0f, options.scale, 0.0f, 0.0f);
    state.applyIncrement(options.rotationX, options.rotationY, 1.0f, 0.0f, 0.0f);

    std::vector<RVEquation3D*> scene;
    std::vector<EquationReport> reports;
    for (const auto& equation : equations) {
        equation->evaluateWithLimits(state.limitsForType(equation->type(), device), device,
                                     !options.accurate, MeshBufferStore3D::indexWidthOf(&context));
        reports.push_back({toInt(equation->type()),
                           hexStringFromColor(equation->color()).toStdString(),
                           static_cast<int>(equation->dataObjectCount()),
                           static_cast<int>(equation->dataIndexCount()),
                           static_cast<int>(equation->linesIndexCount())});
        scene.push_back(equation.get());
    }

    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::Depth);
    QOpenGLFramebufferObject framebuffer(options.width, options.height, format);
    if (!framebuffer.isValid() || !framebuffer.bind()) {
        return outputFailure(out, err, options.json,
                             "no OpenGL framebuffer of " + std::to_string(options.width) + "x" +
                                 std::to_string(options.height));
    }
    SceneRenderer3D renderer;
    if (!renderer.initialize()) {
        return outputFailure(
            out, err, options.json,
            "OpenGL shaders failed: " + renderer.errorString().simplified().toStdString());
    }
    SceneOptions3D sceneOptions;
    sceneOptions.lightBackground = options.light;
    sceneOptions.displayValues = options.labels;
    sceneOptions.fasterImplicits = !options.accurate;
    sceneOptions.pixelSize = QSize(options.width, options.height);
    sceneOptions.eyeDistance =
        SceneState3D::eyeDistance(true, options.width, options.height, device);
    renderer.render(state, scene, sceneOptions);
    QOpenGLFunctions* gl = context.functions();
    gl->glFinish();
    const std::string rendererName = reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER));
    const QImage image = framebuffer.toImage().convertToFormat(QImage::Format_RGB32);
    renderer.release();
    framebuffer.release();
    if (image.isNull()) {
        return outputFailure(out, err, options.json, "the framebuffer could not be read");
    }

    if (const auto error = writePng(image, QString::fromStdString(options.output))) {
        return outputFailure(out, err, options.json,
                             "cannot write " + options.output + ": " + *error);
    }
    if (options.json) {
        printJson(out, options, rendererName, reports);
    } else {
        out << options.output << '\n';
    }
    return kExitSuccess;
}

}  // namespace plotwise::cli
