#pragma once

#include <QByteArray>
#include <QVariantMap>
#include <array>
#include <optional>

#include "common/DeviceClass.h"
#include "engine/EquationType.h"
#include "graph3d/EvaluationLimits3D.h"

namespace plotwise {

// What the 3D scene shows, without any GL: the model-view matrix (16 floats, column-major, kept
// here rather than read back from a driver), the drawing mode, the zoom it implies, the
// evaluation box that zoom gives, and the view-state dictionary that stores all of it. The view,
// the command line and the tests share it, so every one turns and zooms the same way.
class SceneState3D {
public:
    using Matrix = std::array<float, 16>;

    enum Mode { Points = 0, Wireframe = 1, Shaded = 2 };

    // The model-view scale of zoom 1.0, and the zoom bounds.
    static constexpr float resetScale = 0.149994f;
    static constexpr float minScaleFactor = 0.05f;
    static constexpr float maxScaleFactor = 30.0f;

    static inline const QString rotationKey = QStringLiteral("rotacion3D");
    static inline const QString modeKey = QStringLiteral("modoVisualizacion");
    static inline const QString instantXRotationKey = QStringLiteral("instantXRotation");
    static inline const QString instantYRotationKey = QStringLiteral("instantYRotation");
    static inline const QString instantXTranslationKey = QStringLiteral("instantXTranslation");
    static inline const QString instantYTranslationKey = QStringLiteral("instantYTranslation");
    static inline const QString instantZTranslationKey = QStringLiteral("instantZTranslation");
    static inline const QString previousScaleKey = QStringLiteral("previousScale");
    static inline const QString actualScaleFactorKey = QStringLiteral("actualScaleFactor");
    static inline const QString showRotationBoxKey = QStringLiteral("showRotationBox");

    // Scales by resetScale with model z up on the screen, x to the right and y into it.
    static Matrix defaultMatrix();

    const Matrix& modelViewMatrix() const { return matrix_; }
    // The zoom: the length of the matrix's first column over resetScale.
    float actualScaleFactor() const { return actualScaleFactor_; }
    int visualizationMode() const { return mode_; }
    // Modes other than 0, 1 and 2 are ignored.
    void setVisualizationMode(int mode);
    // 2 → 0 → 1 → 2.
    void nextMode();

    bool isRotando() const { return isRotando_; }
    void setRotando(bool rotating) { isRotando_ = rotating; }
    float previousScale() const { return previousScale_; }
    void setPreviousScale(float scale) { previousScale_ = scale; }

    // The default matrix and zoom 1.
    void resetView();

    // One increment of movement, applied to the matrix as the fixed pipeline would: scale by k
    // (clamped so the zoom stays within its bounds), rotate by √(ax²+ay²) degrees about the
    // screen direction perpendicular to (ax, ay), then shift by (tx, ty) eye units along the
    // screen's axes. Returns whether the zoom changed.
    bool applyIncrement(float ax, float ay, float k, float tx, float ty);

    // The cubic box an equation of `type` is evaluated over at the current zoom.
    EvaluationLimits3D limitsForType(EquationType type, DeviceClass device) const;

    // The spacing of the tick marks and value labels at the current zoom: 0.2, 0.5 or 1 times a
    // power of ten, about a sixteenth of the axis length.
    double tickWidth() const;
    static double tickWidthForScale(float actualScaleFactor);

    // The stored view state; stateForDelegate adds "showRotationBox".
    QVariantMap dictionaryWithViewState() const;
    QVariantMap stateForDelegate() const;
    // An empty dictionary changes nothing. Values that cannot be used are mended: a mode other
    // than 0, 1 or 2 keeps the mode; a matrix that is not 64 bytes, not finite or singular gives
    // the default matrix; a zoom outside the bounds is clamped; the zoom is always measured from
    // the matrix, never taken from the stored number (an absent one would read as 0).
    void setViewstateWithDictionary(const QVariantMap& state);

    // Where the scene sits in front of the eye: -9 without a delegate (external display), -5 in
    // portrait (height ≥ width), -6 in landscape on a tablet, -8 on a phone.
    static float eyeDistance(bool hasDelegate, int width, int height, DeviceClass device);
    // The frustum of a 30° horizontal field of view for `width`×`height`, near 1, far 1000,
    // shifted by `distance` along z: the shift stays in the projection so the lights, fixed in
    // eye space, do not move with it.
    static Matrix projectionMatrix(int width, int height, float distance);

    static QByteArray matrixData(const Matrix& matrix);
    // Null when the data is not 64 bytes of finite floats with a usable (non-singular) 3×3.
    static std::optional<Matrix> matrixFromData(const QByteArray& data);
    static Matrix multiplied(const Matrix& a, const Matrix& b);

private:
    void measureScale();

    Matrix matrix_ = defaultMatrix();
    float actualScaleFactor_ = 1.0f;
    int mode_ = Shaded;
    bool isRotando_ = false;
    float previousScale_ = 1.0f;
    float instantXRotation_ = 1.0f;
    float instantYRotation_ = 0.0f;
    float instantXTranslation_ = 0.0f;
    float instantYTranslation_ = 0.0f;
    float instantZTranslation_ = 0.0f;
};

}  // namespace plotwise
