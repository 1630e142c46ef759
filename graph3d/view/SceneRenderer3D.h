#pragma once

#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QSize>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "graph3d/view/SceneState3D.h"

namespace plotwise {

class MeshBufferStore3D;
class RVEquation3D;
class Texture2D;

// How a frame looks beyond the scene state: the settings that change it and the surface it
// goes to.
struct SceneOptions3D {
    bool lightBackground = false;
    bool displayValues = false;
    // The rotation box is drawn when the scene is rotating and this allows it.
    bool showRotationBox = true;
    // "Faster Implicits": implicit surfaces are then flat-shaded, as inequalities always are.
    bool fasterImplicits = true;
    QSize pixelSize{1, 1};
    qreal pixelRatio = 1.0;
    // Where the scene sits in front of the eye (SceneState3D::eyeDistance).
    float eyeDistance = -8.0f;
};

// Draws the 3D scene into the bound framebuffer with small shaders that keep the fixed-function
// look: three coloured axes with ticks, the surfaces as points, wireframe or lit and shaded
// (three positional lights fixed in eye space, two-sided, colour material, flat or smooth), the
// rotation box, and textured labels as point sprites. Used by the 3D view and by the command
// line alike. Every call needs the same current context as initialize().
class SceneRenderer3D : protected QOpenGLFunctions {
public:
    SceneRenderer3D();
    ~SceneRenderer3D();
    SceneRenderer3D(const SceneRenderer3D&) = delete;
    SceneRenderer3D& operator=(const SceneRenderer3D&) = delete;

    // Compiles the shaders for the current context (GLSL 1.20 on desktop GL, 1.00 on GLES) and
    // loads the axis letters. False, with errorString(), when a shader does not build.
    bool initialize();
    bool isInitialized() const { return initialized_; }
    QString errorString() const { return error_; }
    // Frees every GL object this renderer made; the shared mesh buffers go with the last
    // renderer of the share group.
    void release();

    // One frame of `equations` (in list order; drawn opaque first) as `state` shows them.
    // Buffers of equations no longer in the list are deleted.
    void render(const SceneState3D& state, const std::vector<RVEquation3D*>& equations,
                const SceneOptions3D& options);

    MeshBufferStore3D* bufferStore() const { return store_.get(); }
    // The tick spacing in use; -1 until values have been displayed once.
    double majorTickWidth() const { return majorTickWidth_; }

private:
    struct Programs;

    void drawLines(const std::vector<float>& vertices, const std::array<float, 4>& color,
                   GLenum mode);
    void drawAxes(float scale);
    void drawEquations(const std::vector<RVEquation3D*>& equations, const SceneState3D& state,
                       const SceneOptions3D& options);
    void drawRotationBox(float scale);
    void drawLabels(float scale, const SceneOptions3D& options);
    void createNumbersTextures(double width, qreal pixelRatio);
    void drawSprite(Texture2D& texture, float x, float y, float z, float size);

    std::unique_ptr<Programs> programs_;
    std::shared_ptr<MeshBufferStore3D> store_;
    std::array<std::unique_ptr<Texture2D>, 3> letters_;
    // Value labels for +w, -w, +2w, -2w, ... +4w, -4w.
    std::array<std::unique_ptr<Texture2D>, 8> tickLabels_;
    qreal tickLabelRatio_ = 0.0;
    GLuint scratchBuffer_ = 0;
    SceneState3D::Matrix projection_{};
    SceneState3D::Matrix modelView_{};
    double majorTickWidth_ = -1.0;
    bool initialized_ = false;
    bool desktop_ = true;
    QString error_;
};

}  // namespace plotwise
