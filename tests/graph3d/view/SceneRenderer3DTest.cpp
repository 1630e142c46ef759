// Pixels of the 3D renderer, drawn offscreen: geometry against the projection worked out here,
// axis colours, drawing modes, backgrounds, shading, blending and labels.
#include <gtest/gtest.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <cmath>
#include <set>

#include "OffscreenScene.h"

namespace plotwise::testing {
namespace {

const float kHalfField = std::tan(0.2617994f);

// Where a model point lands in the image.
QPointF project(const SceneState3D& state, QSize size, float x, float y, float z) {
    const auto m =
        SceneState3D::multiplied(SceneState3D::projectionMatrix(size.width(), size.height(), -8.0f),
                                 state.modelViewMatrix());
    const float cx = m[0] * x + m[4] * y + m[8] * z + m[12];
    const float cy = m[1] * x + m[5] * y + m[9] * z + m[13];
    const float cw = m[3] * x + m[7] * y + m[11] * z + m[15];
    return {(cx / cw + 1.0) / 2.0 * size.width(), (1.0 - cy / cw) / 2.0 * size.height()};
}

bool isBackground(QRgb pixel, bool light = false) {
    return light ? pixel == qRgb(255, 255, 255) : pixel == qRgb(0, 0, 0);
}

int coverage(const QImage& image, bool light = false) {
    return countPixels(image, image.rect(), [light](QRgb p) { return !isBackground(p, light); });
}

// The pure axis colour nearest (x, y) within `reach` pixels, or 0.
QRgb axisColourNear(const QImage& image, QPointF at, int reach) {
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const QPoint p(qRound(at.x()) + dx, qRound(at.y()) + dy);
            if (!image.rect().contains(p)) {
                continue;
            }
            const QRgb pixel = image.pixel(p);
            if (pixel == qRgb(255, 0, 0) || pixel == qRgb(0, 255, 0) || pixel == qRgb(0, 0, 255)) {
                return pixel;
            }
        }
    }
    return 0;
}

// The pixel radius of a sphere of `radius` model units at zoom `zoom`, 8 eye units away.
double projectedRadius(double radius, double zoom, QSize size) {
    const double eye = radius * SceneState3D::resetScale * zoom;
    return std::tan(std::asin(eye / 8.0)) / kHalfField * size.width() / 2.0;
}

TEST(SceneRenderer3D, SphereIsACentredDiscOfItsProjectedRadius) {
    for (const float zoom : {1.0f, 2.0f, 3.0f}) {
        SCOPED_TRACE(zoom);
        OffscreenScene scene;
        ASSERT_TRUE(scene.ok());
        SceneState3D state;
        state.applyIncrement(0, 0, zoom, 0, 0);
        scene.add("r=2", QColor(230, 230, 230), state);
        const QImage image = scene.render(state);
        const double expected = projectedRadius(2.0, zoom, scene.size());
        const QPointF centre(scene.size().width() / 2.0, scene.size().height() / 2.0);
        // Along the diagonals, clear of the axes: the last pixel that is not background.
        for (const auto& [sx, sy] : {std::pair{1, 1}, {1, -1}, {-1, 1}, {-1, -1}}) {
            double edge = 0.0;
            for (double d = 0.0; d < 200.0; d += 0.25) {
                const QPointF p = centre + QPointF(sx * d, sy * d) / std::sqrt(2.0);
                if (!isBackground(image.pixel(static_cast<int>(p.x()), static_cast<int>(p.y())))) {
                    edge = d;
                }
            }
            EXPECT_NEAR(edge, expected, 1.5) << sx << " " << sy;
        }
    }
}

TEST(SceneRenderer3D, AxesShowTheirColoursWhereTheViewTurnsThem) {
    struct Row {
        const char* name;
        float ax, ay, tx;
        QRgb across;
        QRgb upright;
    };
    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    const QRgb blue = qRgb(0, 0, 255);
    const std::vector<Row> rows = {
        {"reset", 0, 0, 0, red, blue},
        {"drag right 90", 90, 0, 0, green, blue},
        {"drag down 90", 0, 90, 0, red, green},
        {"pan right", 0, 0, 0.5f, red, blue},
    };
    OffscreenScene scene;
    ASSERT_TRUE(scene.ok());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SceneState3D state;
        state.applyIncrement(row.ax, row.ay, 1, row.tx, 0);
        const QImage image = scene.render(state);
        const QPointF origin = project(state, scene.size(), 0, 0, 0);
        // A pan of 0.5 eye units, 8 units away, moves the origin this far.
        EXPECT_NEAR(origin.x() - 200.0, row.tx / 8.0 / kHalfField * 200.0, 0.01);
        for (const float sign : {1.0f, -1.0f}) {
            EXPECT_EQ(axisColourNear(image, origin + QPointF(sign * 60, 0), 1), row.across);
            EXPECT_EQ(axisColourNear(image, origin + QPointF(0, sign * 60), 1), row.upright);
        }
    }
}

// On either background, in every mode: a surface covers less from shaded to wireframe to
// points; meshes at the caps or with missing points draw without GL errors, and one with no
// point at all draws nothing but the axes.
TEST(SceneRenderer3D, CoverageByModeOnEitherBackground) {
    OffscreenScene scene;
    ASSERT_TRUE(scene.ok());
    struct Row {
        const char* text;
        bool drawsSomething;
    };
    for (const bool light : {false, true}) {
        SceneOptions3D options;
        options.lightBackground = light;
        SceneState3D state;
        state.applyIncrement(0, 40, 1, 0, 0);
        scene.clear();
        const QImage empty = scene.render(state, options);
        EXPECT_EQ(empty.pixel(0, 0), light ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const int axes = coverage(empty, light);
        for (const Row& row :
             {Row{"z=y^2/16-x^2/25", true}, Row{"z=1/(x-x)", false}, Row{"z=√(4-x^2-y^2)", true},
              Row{"x^2<100", true}, Row{"sin(3x)+sin(3y)+sin(3z)", true}}) {
            SCOPED_TRACE(::testing::Message() << row.text << " light " << light);
            scene.clear();
            scene.add(row.text, QColor(255, 170, 0), state);
            std::vector<int> covered;
            for (const int mode :
                 {SceneState3D::Shaded, SceneState3D::Wireframe, SceneState3D::Points}) {
                state.setVisualizationMode(mode);
                covered.push_back(coverage(scene.render(state, options), light) - axes);
                EXPECT_EQ(covered.back() > 0, row.drawsSomething) << mode;
                EXPECT_EQ(QOpenGLContext::currentContext()->functions()->glGetError(),
                          static_cast<GLenum>(GL_NO_ERROR));
            }
            if (row.text == std::string("z=y^2/16-x^2/25")) {
                EXPECT_GT(covered[0], covered[1]);
                EXPECT_GT(covered[1], covered[2]);
            }
        }
    }
}

int distinctColours(const QImage& image, QRect area) {
    std::set<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

TEST(SceneRenderer3D, FlatTrianglesHaveOneColourAndSmoothOnesAreGraded) {
    OffscreenScene scene;
    ASSERT_TRUE(scene.ok());
    SceneState3D state;
    state.applyIncrement(0, 0, 3, 0, 0);
    const QRect middle(200 - 40, 150 - 40, 80, 80);
    scene.add("x^2+y^2+z^2-4", QColor(200, 200, 255), state, true);
    const int flat = distinctColours(scene.render(state), middle);
    // The same surface by tetrahedra with gradient normals, lit per vertex.
    scene.clear();
    scene.add("x^2+y^2+z^2-4", QColor(200, 200, 255), state, false);
    SceneOptions3D smoothOptions;
    smoothOptions.fasterImplicits = false;
    const int smooth = distinctColours(scene.render(state, smoothOptions), middle);
    EXPECT_GT(flat, 5);
    EXPECT_GT(smooth, 3 * flat);
}

TEST(SceneRenderer3D, UndersidesAreLitAndHalfTransparentSurfacesBlendOverOpaqueOnes) {
    OffscreenScene scene;
    ASSERT_TRUE(scene.ok());
    // Seen from below, the bowl's outside faces the viewer: lit, not left at ambient.
    SceneState3D below;
    below.applyIncrement(0, -60, 1, 0, 0);
    scene.add("z=x^2+y^2", QColor(255, 255, 255), below);
    const QPointF inside = project(below, scene.size(), 0, 0, 3) + QPointF(8, 0);
    const QRgb underside = scene.render(below).pixel(inside.toPoint());
    EXPECT_GT(qGray(underside), 0.6 * 255) << std::hex << underside;

    // Listed transparent first, drawn after the opaque one.
    SceneState3D above;
    above.applyIncrement(0, 45, 1, 0, 0);
    struct Row {
        int alpha;
        bool redShows;
    };
    for (const Row& row : {Row{128, true}, Row{255, false}}) {
        scene.clear();
        scene.add("z=1", QColor(0, 0, 255, row.alpha), above);
        scene.add("z=-1", QColor(255, 0, 0), above);
        const QRgb middle = scene.render(above).pixel(230, 150);
        EXPECT_GT(qBlue(middle), 60);
        EXPECT_EQ(qRed(middle) > 40, row.redShows) << std::hex << middle;
    }
    // A lone translucent wireframe is drawn in its colour on an opaque frame (no alpha left
    // to brighten it when the frame is read back).
    scene.clear();
    scene.add("z=1", QColor(40, 80, 120, 128), above);
    above.setVisualizationMode(SceneState3D::Wireframe);
    const QImage wire = scene.renderWithAlpha(above);
    const int translucent = countPixels(wire, wire.rect(), [](QRgb p) { return qAlpha(p) != 255; });
    const int meshPixels =
        countPixels(wire, wire.rect(), [](QRgb p) { return p == qRgb(40, 80, 120); });
    EXPECT_EQ(translucent, 0);
    EXPECT_GT(meshPixels, 100);
}

int whitePixelsNear(const QImage& image, QPointF at, int reach) {
    return countPixels(
        image, QRect(at.toPoint() - QPoint(reach, reach), QSize(2, 2) * reach + QSize(1, 1)),
        [](QRgb p) { return qRed(p) > 150 && qGreen(p) > 150 && qBlue(p) > 150; });
}

TEST(SceneRenderer3D, LabelsAppearWhereTheirPointsProject) {
    OffscreenScene scene;
    ASSERT_TRUE(scene.ok());
    SceneState3D state;
    const QPointF two = project(state, scene.size(), 2.0f, 0.0f, 0.3f);
    const QPointF letterX = project(state, scene.size(), 8.6f, 0.0f, 0.0f);
    SceneOptions3D options;
    const QImage plain = scene.render(state, options);
    EXPECT_EQ(whitePixelsNear(plain, two, 12), 0);
    EXPECT_GT(whitePixelsNear(plain, letterX, 12), 10);
    options.displayValues = true;
    const QImage labelled = scene.render(state, options);
    EXPECT_GT(whitePixelsNear(labelled, two, 12), 5);
    EXPECT_DOUBLE_EQ(scene.renderer().majorTickWidth(), 2.0);
    // Ticks stay once the spacing is known, at multiples of 2 across the red axis.
    const QPointF tick = project(state, scene.size(), 4.0f, -0.1f, 0.0f);
    EXPECT_EQ(axisColourNear(scene.render(state), tick + QPointF(0, -3), 1), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace plotwise::testing
