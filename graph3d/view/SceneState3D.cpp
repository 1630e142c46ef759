#include "graph3d/view/SceneState3D.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graph3d/MeshCapacities3D.h"

namespace plotwise {

namespace {

constexpr float kDegreesToRadians = 0.017453292519943295f;
// tan(15°): half of the 30° horizontal field of view.
const float kHalfWidthAtNear = std::tan(0.2617994f);

float columnLength(const SceneState3D::Matrix& m) {
    return std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
}

SceneState3D::Matrix identity() {
    SceneState3D::Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    return m;
}

SceneState3D::Matrix scaling(float k) {
    SceneState3D::Matrix m = identity();
    m[0] = m[5] = m[10] = k;
    return m;
}

SceneState3D::Matrix translation(float x, float y, float z) {
    SceneState3D::Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

// glRotatef's matrix: `degrees` about the axis (x, y, z), normalised here.
SceneState3D::Matrix rotation(float degrees, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0f)) {
        return identity();
    }
    x /= length;
    y /= length;
    z /= length;
    const float c = std::cos(degrees * kDegreesToRadians);
    const float s = std::sin(degrees * kDegreesToRadians);
    const float t = 1.0f - c;
    SceneState3D::Matrix m = identity();
    m[0] = x * x * t + c;
    m[1] = y * x * t + z * s;
    m[2] = x * z * t - y * s;
    m[4] = x * y * t - z * s;
    m[5] = y * y * t + c;
    m[6] = y * z * t + x * s;
    m[8] = x * z * t + y * s;
    m[9] = y * z * t - x * s;
    m[10] = z * z * t + c;
    return m;
}

float determinant3(const SceneState3D::Matrix& m) {
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

float floatFrom(const QVariantMap& state, const QString& key, float fallback) {
    const auto found = state.constFind(key);
    if (found == state.constEnd()) {
        return 0.0f;
    }
    bool ok = false;
    const float value = static_cast<float>(found->toDouble(&ok));
    return ok && std::isfinite(value) ? value : fallback;
}

}  // namespace

SceneState3D::Matrix SceneState3D::defaultMatrix() {
    Matrix m{};
    m[0] = resetScale;
    m[6] = -resetScale;
    m[9] = resetScale;
    m[15] = 1.0f;
    return m;
}

SceneState3D::Matrix SceneState3D::multiplied(const Matrix& a, const Matrix& b) {
    Matrix result{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[column * 4 + k];
            }
            result[column * 4 + row] = sum;
        }
    }
    return result;
}

void SceneState3D::setVisualizationMode(int mode) {
    if (mode >= Points && mode <= Shaded) {
        mode_ = mode;
    }
}

void SceneState3D::nextMode() {
    mode_ = (mode_ + 1) % 3;
}

void SceneState3D::resetView() {
    matrix_ = defaultMatrix();
    actualScaleFactor_ = 1.0f;
}

void SceneState3D::measureScale() {
    actualScaleFactor_ = columnLength(matrix_) / resetScale;
}

bool SceneState3D::applyIncrement(float ax, float ay, float k, float tx, float ty) {
    const Matrix before = matrix_;
    const float trueScale = columnLength(before);
    measureScale();
    const float scaleBefore = actualScaleFactor_;
    if (!std::isfinite(k) || !(k > 0.0f)) {
        k = 1.0f;
    }
    if (k < 1.0f && actualScaleFactor_ * k < minScaleFactor) {
        k = minScaleFactor / actualScaleFactor_;
    }
    if (k > 1.0f && actualScaleFactor_ * k > maxScaleFactor) {
        k = maxScaleFactor / actualScaleFactor_;
    }
    // At a bound the clamped step is 1 up to rounding: leave the matrix as it is.
    if (std::fabs(k - 1.0f) > 1e-6f) {
        matrix_ = multiplied(matrix_, scaling(k));
    }
    const float length = std::sqrt(ax * ax + ay * ay);
    if (length > 0.0f && std::isfinite(length)) {
        // The first two rows of the 3×3 are the screen's x and y directions in model space.
        const float wx = ax / length;
        const float wy = ay / length;
        matrix_ = multiplied(
            matrix_, rotation(length, wx * before[1] + wy * before[0],
                              wx * before[5] + wy * before[4], wx * before[9] + wy * before[8]));
    }
    if ((tx != 0.0f || ty != 0.0f) && std::isfinite(tx) && std::isfinite(ty)) {
        const float square = trueScale * trueScale;
        matrix_ = multiplied(matrix_, translation(tx / square * before[0], tx / square * before[4],
                                                  tx / square * before[8]));
        matrix_ = multiplied(matrix_, translation(ty / square * before[1], ty / square * before[5],
                                                  ty / square * before[9]));
    }
    measureScale();
    return actualScaleFactor_ != scaleBefore;
}

EvaluationLimits3D SceneState3D::limitsForType(EquationType type, DeviceClass device) const {
    const MeshCapacities3D capacities = MeshCapacities3D::forDevice(device);
    return EvaluationLimits3D::forScale(actualScaleFactor_, capacities.divisionsForType(type));
}

double SceneState3D::tickWidth() const {
    return tickWidthForScale(actualScaleFactor_);
}

double SceneState3D::tickWidthForScale(float actualScaleFactor) {
    // 1.199952 over the model-view scale is 8 over the zoom: the axis half-length.
    const double v = 1.199952 / (static_cast<double>(actualScaleFactor) * resetScale);
    const double e = std::log10(2.0 * v);
    const double f = std::floor(e);
    double unit = 1.0;
    if (e - f < 0.30103) {
        unit = 0.2;
    } else if (e - f < 0.69897) {
        unit = 0.5;
    }
    return unit * std::pow(10.0, f);
}

QByteArray SceneState3D::matrixData(const Matrix& matrix) {
    QByteArray data(64, '\0');
    for (int i = 0; i < 16; ++i) {
        qToLittleEndian(matrix[static_cast<std::size_t>(i)], data.data() + 4 * i);
    }
    return data;
}

std::optional<SceneState3D::Matrix> SceneState3D::matrixFromData(const QByteArray& data) {
    if (data.size() != 64) {
        return std::nullopt;
    }
    Matrix m{};
    for (int i = 0; i < 16; ++i) {
        m[static_cast<std::size_t>(i)] = qFromLittleEndian<float>(data.constData() + 4 * i);
        if (!std::isfinite(m[static_cast<std::size_t>(i)])) {
            return std::nullopt;
        }
    }
    // A singular 3×3 (a zero scale, a flattened scene) has no zoom to measure or turn about.
    const float scale = columnLength(m);
    if (!(scale > 0.0f) || !(std::fabs(determinant3(m)) > 1e-6f * scale * scale * scale)) {
        return std::nullopt;
    }
    return m;
}

QVariantMap SceneState3D::dictionaryWithViewState() const {
    QVariantMap state;
    state.insert(rotationKey, matrixData(matrix_));
    state.insert(modeKey, static_cast<double>(mode_));
    state.insert(instantXRotationKey, static_cast<double>(instantXRotation_));
    state.insert(instantYRotationKey, static_cast<double>(instantYRotation_));
    state.insert(instantXTranslationKey, static_cast<double>(instantXTranslation_));
    state.insert(instantYTranslationKey, static_cast<double>(instantYTranslation_));
    state.insert(instantZTranslationKey, static_cast<double>(instantZTranslation_));
    state.insert(previousScaleKey, static_cast<double>(previousScale_));
    state.insert(actualScaleFactorKey, static_cast<double>(actualScaleFactor_));
    return state;
}

QVariantMap SceneState3D::stateForDelegate() const {
    QVariantMap state = dictionaryWithViewState();
    state.insert(showRotationBoxKey, isRotando_ ? 1 : 0);
    return state;
}

void SceneState3D::setViewstateWithDictionary(const QVariantMap& state) {
    if (state.isEmpty()) {
        return;
    }
    if (const auto mode = state.constFind(modeKey); mode != state.constEnd()) {
        bool ok = false;
        const double value = mode->toDouble(&ok);
        if (ok && value >= 0.0 && value < 3.0) {
            mode_ = static_cast<int>(value);
        }
    }
    const auto matrix = matrixFromData(state.value(rotationKey).toByteArray());
    matrix_ = matrix.value_or(defaultMatrix());
    measureScale();
    if (actualScaleFactor_ < minScaleFactor || actualScaleFactor_ > maxScaleFactor) {
        const float clamped = std::clamp(actualScaleFactor_, minScaleFactor, maxScaleFactor);
        const float k = clamped / actualScaleFactor_;
        for (const int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
            matrix_[static_cast<std::size_t>(i)] *= k;
        }
        measureScale();
    }
    previousScale_ = floatFrom(state, previousScaleKey, 1.0f);
    instantXRotation_ = floatFrom(state, instantXRotationKey, 1.0f);
    instantYRotation_ = floatFrom(state, instantYRotationKey, 0.0f);
    instantXTranslation_ = floatFrom(state, instantXTranslationKey, 0.0f);
    instantYTranslation_ = floatFrom(state, instantYTranslationKey, 0.0f);
    instantZTranslation_ = floatFrom(state, instantZTranslationKey, 0.0f);
    if (const auto box = state.constFind(showRotationBoxKey); box != state.constEnd()) {
        isRotando_ = box->toInt() != 0;
    }
}

float SceneState3D::eyeDistance(bool hasDelegate, int width, int height, DeviceClass device) {
    if (!hasDelegate) {
        return -9.0f;
    }
    if (height >= width) {
        return -5.0f;
    }
    return device == DeviceClass::Tablet ? -6.0f : -8.0f;
}

SceneState3D::Matrix SceneState3D::projectionMatrix(int width, int height, float distance) {
    const float aspect = height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
    const float right = kHalfWidthAtNear;
    const float top = kHalfWidthAtNear / aspect;
    constexpr float near = 1.0f;
    constexpr float far = 1000.0f;
    Matrix frustum{};
    frustum[0] = 2.0f * near / (2.0f * right);
    frustum[5] = 2.0f * near / (2.0f * top);
    frustum[10] = -(far + near) / (far - near);
    frustum[11] = -1.0f;
    frustum[14] = -2.0f * far * near / (far - near);
    return multiplied(frustum, translation(0.0f, 0.0f, distance));
}

}  // namespace plotwise
