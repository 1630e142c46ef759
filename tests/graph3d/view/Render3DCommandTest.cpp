// plotwise-cli render3d under OpenGL: its picture is the renderer's own for the same scene.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <regex>

#include "OffscreenScene.h"
#include "tests/support/CliRunner.h"

namespace plotwise::testing {
namespace {

struct Rendered {
    CliRun result;
    QImage image;
};

Rendered render3d(std::vector<std::string> arguments) {
    QTemporaryDir folder;
    const std::string file = folder.filePath(QStringLiteral("scene.png")).toStdString();
    arguments.insert(arguments.begin(), {"render3d", "-o", file});
    Rendered run;
    run.result = runProgram(PLOTWISE_CLI, arguments, folder.path().toStdString());
    run.image = QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
    return run;
}

TEST(Render3DCommand, DrawsTheScenesTheRendererDraws) {
    struct Row {
        std::vector<std::string> arguments;
        float ax, ay, k;
        int mode;
        SceneOptions3D options;
    };
    SceneOptions3D light;
    light.lightBackground = true;
    SceneOptions3D labels;
    labels.displayValues = true;
    const std::vector<Row> rows = {
        {{}, 0, 0, 1, SceneState3D::Shaded, {}},
        {{"--rotation", "-30", "20", "--mode", "wire", "--light"},
         -30,
         20,
         1,
         SceneState3D::Wireframe,
         light},
        {{"--scale", "2.5", "--mode", "points", "--labels"},
         0,
         0,
         2.5f,
         SceneState3D::Points,
         labels},
    };
    for (const Row& row : rows) {
        std::vector<std::string> arguments = {"z=y^2/16-x^2/25", "r=2",    "--size",  "400x300",
                                              "--color",         "E6E6E6", "--color", "3366CC80"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        SCOPED_TRACE(row.mode);
        const Rendered run = render3d(arguments);
        ASSERT_EQ(run.result.status, 0) << run.result.err;
        ASSERT_EQ(run.image.size(), QSize(400, 300));

        OffscreenScene scene;
        ASSERT_TRUE(scene.ok());
        SceneState3D state;
        state.setVisualizationMode(row.mode);
        state.applyIncrement(0, 0, row.k, 0, 0);
        state.applyIncrement(row.ax, row.ay, 1, 0, 0);
        scene.add("z=y^2/16-x^2/25", QColor(0xE6, 0xE6, 0xE6), state);
        scene.add("r=2", QColor(0x33, 0x66, 0xCC, 0x80), state);
        const QImage expected = scene.render(state, row.options);
        int different = 0;
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 400; ++x) {
                different += run.image.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(different, 0);
    }
}

TEST(Render3DCommand, ReportsTheRendererAndEachMesh) {
    const Rendered run = render3d({"--json", "z=y^2/16-x^2/25", "x^2+y^2+z^2<4", "--tablet",
                                   "--accurate", "--size", "64x48"});
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_TRUE(std::regex_search(
        run.result.out,
        std::regex(
            R"(^\{"ok": true, "file": "[^"]+scene.png", "width": 64, "height": 48, )"
            R"("renderer": "[^"]+", "equations": \[\{"expression": "z=y\^2/16-x\^2/25", )"
            R"("type": 2, "color": "1F77B4", "dataObjectCount": [1-9]\d*, "dataIndexCount": )"
            R"([1-9]\d*, "linesIndexCount": [1-9]\d*\}, \{"expression": "x\^2\+y\^2\+z\^2<4", )"
            R"("type": 7, "color": "D6272880", "dataObjectCount": [1-9]\d*, )")))
        << run.result.out;
    EXPECT_EQ(run.image.size(), QSize(64, 48));
}

}  // namespace
}  // namespace plotwise::testing
