// The 3D scene's state without GL: increments, zoom bounds, limits, tick spacing and the stored
// view state, including what a damaged store may hold.
#include <gtest/gtest.h>

#include <QtEndian>
#include <cmath>
#include <limits>

#include "graph3d/view/SceneState3D.h"

namespace plotwise {
namespace {

using Matrix = SceneState3D::Matrix;

QByteArray dataOf(const Matrix& m) {
    return SceneState3D::matrixData(m);
}

Matrix scaled(float factor) {
    Matrix m = SceneState3D::defaultMatrix();
    for (float& value : m) {
        value *= factor;
    }
    m[15] = 1.0f;
    return m;
}

// Where the matrix sends a model direction, in eye space.
std::array<float, 3> eyeDirection(const Matrix& m, float x, float y, float z) {
    return {m[0] * x + m[4] * y + m[8] * z, m[1] * x + m[5] * y + m[9] * z,
            m[2] * x + m[6] * y + m[10] * z};
}

TEST(SceneState3D, StoredStateRoundTripsByteForByte) {
    SceneState3D state;
    state.applyIncrement(37.0f, -12.5f, 1.7f, 0.25f, -0.5f);
    state.nextMode();
    state.setPreviousScale(1.25f);
    const QVariantMap stored = state.dictionaryWithViewState();
    ASSERT_EQ(stored.value(SceneState3D::rotationKey).toByteArray().size(), 64);
    EXPECT_EQ(stored.value(SceneState3D::modeKey).toDouble(), 0.0);
    EXPECT_FALSE(stored.contains(SceneState3D::showRotationBoxKey));

    SceneState3D restored;
    restored.setViewstateWithDictionary(stored);
    EXPECT_EQ(restored.dictionaryWithViewState(), stored);
    EXPECT_EQ(restored.modelViewMatrix(), state.modelViewMatrix());
    EXPECT_FLOAT_EQ(restored.actualScaleFactor(), 1.7f);

    // Little-endian floats in storage order: the default starts with 0.149994.
    const QByteArray reset = SceneState3D::matrixData(SceneState3D::defaultMatrix());
    EXPECT_EQ(qFromLittleEndian<float>(reset.constData()), 0.149994f);
    EXPECT_EQ(qFromLittleEndian<float>(reset.constData() + 4 * 6), -0.149994f);
    EXPECT_EQ(qFromLittleEndian<float>(reset.constData() + 4 * 9), 0.149994f);

    // The delegate's copy adds the rotation box.
    state.setRotando(true);
    EXPECT_EQ(state.stateForDelegate().value(SceneState3D::showRotationBoxKey).toInt(), 1);
    SceneState3D mirror;
    mirror.setViewstateWithDictionary(state.stateForDelegate());
    EXPECT_TRUE(mirror.isRotando());
}

TEST(SceneState3D, DamagedStoredValuesAreMended) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Matrix withNan = scaled(2.0f);
    withNan[5] = nan;
    Matrix flattened = scaled(1.0f);
    flattened[9] = 0.0f;  // model z sent nowhere: singular
    struct Row {
        const char* name;
        QVariantMap state;
        Matrix matrix;
        float zoom;
        int mode;
    };
    const Matrix reset = SceneState3D::defaultMatrix();
    const QVariant wire = 1.0;
    const std::vector<Row> rows = {
        {"short data", {{SceneState3D::rotationKey, dataOf(scaled(2)).left(63)}}, reset, 1, 1},
        {"long data", {{SceneState3D::rotationKey, dataOf(scaled(2)) + "x"}}, reset, 1, 1},
        {"not finite", {{SceneState3D::rotationKey, dataOf(withNan)}}, reset, 1, 1},
        {"singular", {{SceneState3D::rotationKey, dataOf(flattened)}}, reset, 1, 1},
        {"text", {{SceneState3D::rotationKey, QStringLiteral("matrix")}}, reset, 1, 1},
        {"absent", {{SceneState3D::previousScaleKey, 1.0}}, reset, 1, 1},
        {"too near", {{SceneState3D::rotationKey, dataOf(scaled(100))}}, scaled(30), 30, 1},
        {"too far", {{SceneState3D::rotationKey, dataOf(scaled(0.001f))}}, scaled(0.05f), 0.05f, 1},
        {"usable", {{SceneState3D::rotationKey, dataOf(scaled(3))}}, scaled(3), 3, 1},
        {"mode 3", {{SceneState3D::modeKey, 3.0}}, reset, 1, 1},
        {"mode -1", {{SceneState3D::modeKey, -1.0}}, reset, 1, 1},
        {"mode nan", {{SceneState3D::modeKey, std::nan("")}}, reset, 1, 1},
        {"mode 2", {{SceneState3D::modeKey, 2}}, reset, 1, 2},
        {"mode 0", {{SceneState3D::modeKey, 0.0}}, reset, 1, 0},
        // The stored number is not what zooms: the matrix is.
        {"zoom key",
         {{SceneState3D::rotationKey, dataOf(scaled(2))}, {SceneState3D::actualScaleFactorKey, 0}},
         scaled(2),
         2,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SceneState3D state;
        state.applyIncrement(10.0f, 20.0f, 5.0f, 0.0f, 0.0f);
        state.setViewstateWithDictionary({{SceneState3D::modeKey, wire}});
        state.setViewstateWithDictionary(row.state);
        EXPECT_EQ(state.visualizationMode(), row.mode);
        EXPECT_NEAR(state.actualScaleFactor(), row.zoom, row.zoom * 1e-5f);
        for (std::size_t i = 0; i < 16; ++i) {
            EXPECT_NEAR(state.modelViewMatrix()[i], row.matrix[i], 1e-5f) << i;
        }
        // Whatever was stored, the box to evaluate is finite.
        const EvaluationLimits3D limits =
            state.limitsForType(EquationType::ExplicitZ, DeviceClass::Phone);
        EXPECT_TRUE(limits.isUsable());
    }

    // The empty dictionary changes nothing.
    SceneState3D state;
    state.applyIncrement(30.0f, 0.0f, 2.0f, 0.0f, 0.0f);
    const QVariantMap before = state.dictionaryWithViewState();
    state.setViewstateWithDictionary({});
    EXPECT_EQ(state.dictionaryWithViewState(), before);
}

TEST(SceneState3D, ModesCycleAndUnknownModesAreIgnored) {
    SceneState3D state;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        seen.push_back(state.visualizationMode());
        state.nextMode();
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 0, 1, 2}));
    state.setVisualizationMode(7);
    EXPECT_EQ(state.visualizationMode(), 0);
}

TEST(SceneState3D, IncrementsTurnShiftAndZoomAsTheScreenSees) {
    struct Row {
        const char* name;
        float ax, ay, k, tx, ty;
        // Where model x, y and z point on the screen afterwards (eye space, unit length).
        std::array<float, 3> x, y, z;
        // The eye-space shift of the origin.
        std::array<float, 2> shift;
        float zoom;
    };
    const std::vector<Row> rows = {
        {"reset", 0, 0, 1, 0, 0, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0}, 1},
        // A horizontal drag turns about the screen's vertical axis: y comes to lie across.
        {"drag right 90", 90, 0, 1, 0, 0, {0, 0, -1}, {-1, 0, 0}, {0, 1, 0}, {0, 0}, 1},
        {"drag down 90", 0, 90, 1, 0, 0, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0}, 1},
        {"pan", 0, 0, 1, 0.5f, -0.25f, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0.5f, -0.25f}, 1},
        {"zoom in", 0, 0, 2.5f, 0, 0, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0}, 2.5f},
        {"not finite", 0, 0, std::nanf(""), 0, 0, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0}, 1},
        {"negative", 0, 0, -2, 0, 0, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SceneState3D state;
        state.applyIncrement(row.ax, row.ay, row.k, row.tx, row.ty);
        const Matrix& m = state.modelViewMatrix();
        const float s = state.actualScaleFactor() * SceneState3D::resetScale;
        for (const auto& [model, expected] : {std::pair{std::array<float, 3>{1, 0, 0}, row.x},
                                              std::pair{std::array{0.f, 1.f, 0.f}, row.y},
                                              std::pair{std::array{0.f, 0.f, 1.f}, row.z}}) {
            const auto eye = eyeDirection(m, model[0], model[1], model[2]);
            for (std::size_t i = 0; i < 3; ++i) {
                EXPECT_NEAR(eye[i] / s, expected[i], 1e-5f);
            }
        }
        EXPECT_NEAR(m[12], row.shift[0], 1e-5f);
        EXPECT_NEAR(m[13], row.shift[1], 1e-5f);
        EXPECT_NEAR(state.actualScaleFactor(), row.zoom, 1e-5f);
    }
    // A later pan shifts by eye units whatever the zoom.
    SceneState3D zoomed;
    zoomed.applyIncrement(0, 0, 4, 0, 0);
    zoomed.applyIncrement(0, 0, 1, 1, 0);
    EXPECT_NEAR(zoomed.modelViewMatrix()[12], 1.0f, 1e-5f);
}

// The box to evaluate is ±7 over the zoom, finer on a tablet; the tick spacing (0.2, 0.5 or 1
// times a power of ten) fits the axis half-length 8/zoom; the frustum's edge is at 15°.
TEST(SceneState3D, LimitsTicksAndFrustumFollowTheZoom) {
    SceneState3D state;
    for (const float zoom : {1.0f, 2.0f}) {
        const EvaluationLimits3D phone =
            state.limitsForType(EquationType::Implicit, DeviceClass::Phone);
        const EvaluationLimits3D tablet =
            state.limitsForType(EquationType::Implicit, DeviceClass::Tablet);
        EXPECT_FLOAT_EQ(phone.max, 7.0f / zoom);
        EXPECT_FLOAT_EQ(phone.min, -phone.max);
        EXPECT_EQ(tablet.max, phone.max);
        EXPECT_LT(tablet.step, phone.step);
        state.applyIncrement(0, 0, 2, 0, 0);
    }
    for (const auto& [zoom, width] :
         {std::pair{1.0f, 2.0}, std::pair{2.0f, 1.0}, std::pair{0.5f, 5.0}, std::pair{30.0f, 0.1},
          std::pair{0.05f, 50.0}, std::pair{4.0f, 0.5}}) {
        EXPECT_NEAR(SceneState3D::tickWidthForScale(zoom), width, width * 1e-9) << zoom;
    }
    const Matrix projection = SceneState3D::projectionMatrix(800, 400, -8.0f);
    const float edge = std::tan(0.2617994f) * 8.0f;
    EXPECT_NEAR((projection[0] * edge + projection[12]) / (projection[3] * edge + projection[15]),
                1.0f, 1e-5f);
    EXPECT_NEAR(projection[5] / projection[0], 2.0f, 1e-5f);
}

}  // namespace
}  // namespace plotwise
