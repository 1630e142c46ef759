#include "graph3d/view/SceneRenderer3D.h"

#include <QOpenGLContext>
#include <algorithm>
#include <cmath>

#include "graph3d/RVEquation3D.h"
#include "graph3d/view/MeshBufferStore3D.h"
#include "graph3d/view/Texture2D.h"

namespace plotwise {

namespace {

// Attribute locations, bound before linking so every program agrees.
constexpr GLuint kPosition = 0;
constexpr GLuint kNormal = 1;
constexpr GLuint kLitPosition = 2;

// Desktop GL's names that the GLES 2 headers lack: gl_PointSize is honoured only with the
// first, gl_PointCoord is filled only with the second (compatibility contexts).
constexpr GLenum kProgramPointSize = 0x8642;
constexpr GLenum kPointSprite = 0x8861;

// More ticks than this means a spacing left from a far other zoom: drawing them would only
// fill the axes.
constexpr int kMaximumTicks = 10000;

const char* const kPlainVertex = R"(
attribute vec3 aPosition;
uniform mat4 uProjection;
uniform mat4 uModelView;
uniform float uPointSize;
void main() {
    gl_Position = uProjection * (uModelView * vec4(aPosition, 1.0));
    gl_PointSize = uPointSize;
}
)";

const char* const kPlainFragment = R"(
uniform vec4 uColor;
void main() {
    gl_FragColor = uColor;
}
)";

// The fixed pipeline's lighting per vertex in eye space: colour material (ambient and diffuse
// are the colour), emission 0.03 of it, scene ambient 0.2, three positional lights with ambient
// 0.06, diffuse 0.82 and specular 0.4, material specular 1 with shininess 50, infinite viewer.
// Front and back are lit with opposite normals and picked per fragment. For flat shading every
// vertex is lit at its triangle's last vertex, so a triangle gets one colour.
const char* const kLitVertex = R"(
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec3 aLitPosition;
uniform mat4 uProjection;
uniform mat4 uModelView;
uniform mat3 uNormalMatrix;
uniform vec4 uColor;
uniform float uFlat;
varying vec4 vFront;
varying vec4 vBack;

vec3 light(vec3 position, vec3 p, vec3 n) {
    vec3 l = normalize(position - p);
    float diffuse = max(dot(n, l), 0.0);
    vec3 color = uColor.rgb * (0.82 * diffuse);
    if (diffuse > 0.0) {
        vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));
        color += vec3(0.4 * pow(max(dot(n, h), 0.0), 50.0));
    }
    return color;
}

vec4 shade(vec3 p, vec3 n, bool hasNormal) {
    vec3 color = uColor.rgb * (0.03 + 0.2 + 3.0 * 0.06);
    if (hasNormal) {
        color += light(vec3(0.0, 0.2, 4.0), p, n);
        color += light(vec3(0.0, 4.0, -3.0), p, n);
        color += light(vec3(0.0, -4.0, -3.0), p, n);
    }
    return vec4(clamp(color, 0.0, 1.0), uColor.a);
}

void main() {
    vec4 eye = uModelView * vec4(aPosition, 1.0);
    vec3 p = eye.xyz;
    if (uFlat > 0.5) {
        p = (uModelView * vec4(aLitPosition, 1.0)).xyz;
    }
    vec3 n = uNormalMatrix * aNormal;
    float len = length(n);
    // A zero normal (or a missing one) leaves ambient and emission.
    bool hasNormal = len > 0.0;
    if (hasNormal) {
        n = n / len;
    }
    vFront = shade(p, n, hasNormal);
    vBack = shade(p, -n, hasNormal);
    gl_Position = uProjection * eye;
}
)";

const char* const kLitFragment = R"(
varying vec4 vFront;
varying vec4 vBack;
void main() {
    gl_FragColor = gl_FrontFacing ? vFront : vBack;
}
)";

const char* const kSpriteVertex = kPlainVertex;

const char* const kSpriteFragment = R"(
uniform sampler2D uTexture;
void main() {
    gl_FragColor = texture2D(uTexture, gl_PointCoord);
}
)";

std::array<float, 4> rgba(const QColor& color) {
    if (!color.isValid()) {
        return {0.0f, 0.0f, 0.0f, 1.0f};
    }
    return {color.redF(), color.greenF(), color.blueF(), color.alphaF()};
}

}  // namespace

struct SceneRenderer3D::Programs {
    QOpenGLShaderProgram plain;
    QOpenGLShaderProgram lit;
    QOpenGLShaderProgram sprite;
};

SceneRenderer3D::SceneRenderer3D() = default;

SceneRenderer3D::~SceneRenderer3D() {
    // GL objects need their context: release() runs while it is current (the view calls it on
    // aboutToBeDestroyed). Whatever is left is dropped without GL calls.
    if (programs_ != nullptr && QOpenGLContext::currentContext() != nullptr) {
        release();
    }
}

bool SceneRenderer3D::initialize() {
    release();
    initializeOpenGLFunctions();
    const QOpenGLContext* context = QOpenGLContext::currentContext();
    desktop_ = context != nullptr && !context->isOpenGLES();
    // Unversioned, Mesa reads GLSL 1.10, which has no gl_PointCoord.
    const QByteArray header = desktop_ ? QByteArrayLiteral("#version 120\n")
                                       : QByteArrayLiteral(
                                             "#version 100\n#ifdef GL_ES\n"
                                             "precision mediump float;\n#endif\n");
    programs_ = std::make_unique<Programs>();
    const auto build = [&](QOpenGLShaderProgram& program, const char* vertex,
                           const char* fragment) {
        if (!program.addShaderFromSourceCode(QOpenGLShader::Vertex, header + vertex) ||
            !program.addShaderFromSourceCode(QOpenGLShader::Fragment, header + fragment)) {
            error_ = program.log();
            return false;
        }
        program.bindAttributeLocation("aPosition", kPosition);
        program.bindAttributeLocation("aNormal", kNormal);
        program.bindAttributeLocation("aLitPosition", kLitPosition);
        if (!program.link()) {
            error_ = program.log();
            return false;
        }
        return true;
    };
    if (!build(programs_->plain, kPlainVertex, kPlainFragment) ||
        !build(programs_->lit, kLitVertex, kLitFragment) ||
        !build(programs_->sprite, kSpriteVertex, kSpriteFragment)) {
        programs_.reset();
        return false;
    }
    store_ = MeshBufferStore3D::forCurrentContext();
    glGenBuffers(1, &scratchBuffer_);
    const std::array<QString, 3> names = {QStringLiteral(":/textures/textureX.png"),
                                          QStringLiteral(":/textures/textureY.png"),
                                          QStringLiteral(":/textures/textureZ.png")};
    for (std::size_t i = 0; i < names.size(); ++i) {
        // A missing image leaves its letter out.
        letters_[i] = std::make_unique<Texture2D>(QImage(names[i]));
    }
    majorTickWidth_ = -1.0;
    initialized_ = true;
    return true;
}

void SceneRenderer3D::release() {
    if (!initialized_) {
        return;
    }
    for (auto& letter : letters_) {
        letter.reset();
    }
    for (auto& label : tickLabels_) {
        label.reset();
    }
    tickLabelRatio_ = 0.0;
    if (scratchBuffer_ != 0) {
        glDeleteBuffers(1, &scratchBuffer_);
        scratchBuffer_ = 0;
    }
    if (store_.use_count() == 1) {
        store_->releaseAll();
    } else {
        store_->forgetViewer(this);
    }
    store_.reset();
    programs_.reset();
    initialized_ = false;
}

void SceneRenderer3D::render(const SceneState3D& state, const std::vector<RVEquation3D*>& equations,
                             const SceneOptions3D& options) {
    if (!initialized_) {
        return;
    }
    glViewport(0, 0, options.pixelSize.width(), options.pixelSize.height());
    projection_ = SceneState3D::projectionMatrix(options.pixelSize.width(),
                                                 options.pixelSize.height(), options.eyeDistance);
    modelView_ = state.modelViewMatrix();
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    const float background = options.lightBackground ? 1.0f : 0.0f;
    glClearColor(background, background, background, 1.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The frame stays opaque: a translucent surface or label must not leave alpha behind for
    // whatever composes or reads the framebuffer (a read-back would brighten it).
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    if (desktop_) {
        glEnable(kProgramPointSize);
        glEnable(kPointSprite);
    }
    store_->retainOnly(this, equations);

    const float scale = state.actualScaleFactor();
    if (options.displayValues) {
        createNumbersTextures(state.tickWidth(), options.pixelRatio);
    }
    drawAxes(scale);
    drawEquations(equations, state, options);
    if (state.isRotando() && options.showRotationBox) {
        drawRotationBox(scale);
    }
    drawLabels(scale, options);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void SceneRenderer3D::drawLines(const std::vector<float>& vertices,
                                const std::array<float, 4>& color, GLenum mode) {
    QOpenGLShaderProgram& program = programs_->plain;
    program.bind();
    glUniformMatrix4fv(program.uniformLocation("uProjection"), 1, GL_FALSE, projection_.data());
    glUniformMatrix4fv(program.uniformLocation("uModelView"), 1, GL_FALSE, modelView_.data());
    program.setUniformValue("uPointSize", 1.0f);
    program.setUniformValue("uColor", color[0], color[1], color[2], color[3]);
    glBindBuffer(GL_ARRAY_BUFFER, scratchBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                 vertices.data(), GL_STREAM_DRAW);
    glEnableVertexAttribArray(kPosition);
    glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(mode, 0, static_cast<GLsizei>(vertices.size() / 3));
    glDisableVertexAttribArray(kPosition);
}

void SceneRenderer3D::drawAxes(float scale) {
    const float length = 8.0f / scale;
    const float w = static_cast<float>(majorTickWidth_);
    const float a = 0.2f / scale;
    const float b = -0.1f / scale;
    std::array<std::vector<float>, 3> axes = {
        std::vector<float>{length, 0, 0, -length, 0, 0},
        std::vector<float>{0, length, 0, 0, -length, 0},
        std::vector<float>{0, 0, length, 0, 0, -length},
    };
    const int n = w > 0.0f ? static_cast<int>(length / w) : 0;
    if (n >= 1 && n <= kMaximumTicks) {
        for (int k = -n; k <= n; ++k) {
            if (k == 0) {
                continue;
            }
            const float t = static_cast<float>(k) * w;
            axes[0].insert(axes[0].end(), {t, b, a, t, b, -a});
            axes[1].insert(axes[1].end(), {0, t, -a, 0, t, a});
            axes[2].insert(axes[2].end(), {-a, b, t, a, b, t});
        }
    }
    drawLines(axes[0], {1, 0, 0, 1}, GL_LINES);
    drawLines(axes[1], {0, 1, 0, 1}, GL_LINES);
    drawLines(axes[2], {0, 0, 1, 1}, GL_LINES);
}

void SceneRenderer3D::drawEquations(const std::vector<RVEquation3D*>& equations,
                                    const SceneState3D& state, const SceneOptions3D& options) {
    // A copy: the list's order is what is saved.
    std::vector<RVEquation3D*> sorted = equations;
    std::stable_sort(
        sorted.begin(), sorted.end(),
        [](const RVEquation3D* a, const RVEquation3D* b) { return a->compareAlpha(*b) < 0; });
    const int mode = state.visualizationMode();
    std::array<float, 9> normalMatrix{};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            normalMatrix[static_cast<std::size_t>(column * 3 + row)] =
                modelView_[static_cast<std::size_t>(column * 4 + row)];
        }
    }
    for (RVEquation3D* equation : sorted) {
        if (equation->calculating() || !equation->visible()) {
            continue;
        }
        const MeshBuffers3D* buffers = store_->buffersFor(*equation);
        if (buffers == nullptr) {
            continue;
        }
        const std::array<float, 4> color = rgba(equation->color());
        glBindBuffer(GL_ARRAY_BUFFER, buffers->vertexBuffer);
        glEnableVertexAttribArray(kPosition);
        glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, 24, nullptr);
        if (mode != SceneState3D::Shaded) {
            QOpenGLShaderProgram& program = programs_->plain;
            program.bind();
            glUniformMatrix4fv(program.uniformLocation("uProjection"), 1, GL_FALSE,
                               projection_.data());
            glUniformMatrix4fv(program.uniformLocation("uModelView"), 1, GL_FALSE,
                               modelView_.data());
            program.setUniformValue("uPointSize", 1.0f);
            program.setUniformValue("uColor", color[0], color[1], color[2], color[3]);
            if (buffers->lineIndexBuffer != 0) {
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers->lineIndexBuffer);
                glDrawElements(mode == SceneState3D::Wireframe ? GL_LINES : GL_POINTS,
                               buffers->lineIndexCount, buffers->indexType, nullptr);
            }
        } else if (buffers->indexBuffer != 0) {
            QOpenGLShaderProgram& program = programs_->lit;
            program.bind();
            glUniformMatrix4fv(program.uniformLocation("uProjection"), 1, GL_FALSE,
                               projection_.data());
            glUniformMatrix4fv(program.uniformLocation("uModelView"), 1, GL_FALSE,
                               modelView_.data());
            glUniformMatrix3fv(program.uniformLocation("uNormalMatrix"), 1, GL_FALSE,
                               normalMatrix.data());
            program.setUniformValue("uColor", color[0], color[1], color[2], color[3]);
            const EquationType type = equation->type();
            const bool flat = (type == EquationType::Inequality ||
                               (type == EquationType::Implicit && options.fasterImplicits)) &&
                              buffers->litPositionBuffer != 0;
            program.setUniformValue("uFlat", flat ? 1.0f : 0.0f);
            glEnableVertexAttribArray(kNormal);
            glVertexAttribPointer(kNormal, 3, GL_FLOAT, GL_FALSE, 24,
                                  reinterpret_cast<const void*>(12));
            if (flat) {
                glBindBuffer(GL_ARRAY_BUFFER, buffers->litPositionBuffer);
                glEnableVertexAttribArray(kLitPosition);
                glVertexAttribPointer(kLitPosition, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
            } else {
                glVertexAttrib3f(kLitPosition, 0.0f, 0.0f, 0.0f);
            }
            if (color[3] < 1.0f) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            }
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers->indexBuffer);
            glDrawElements(GL_TRIANGLES, buffers->indexCount, buffers->indexType, nullptr);
            glDisable(GL_BLEND);
            glDisableVertexAttribArray(kNormal);
            glDisableVertexAttribArray(kLitPosition);
        }
        glDisableVertexAttribArray(kPosition);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void SceneRenderer3D::drawRotationBox(float scale) {
    const float e = 7.0f / scale;
    std::vector<float> loops;
    // Four closed loops of four corners: the squares z = ±7 and x = ±7, as line segments.
    const auto loop = [&loops](const std::array<std::array<float, 3>, 4>& corners) {
        for (std::size_t i = 0; i < 4; ++i) {
            const auto& from = corners[i];
            const auto& to = corners[(i + 1) % 4];
            loops.insert(loops.end(), {from[0], from[1], from[2], to[0], to[1], to[2]});
        }
    };
    for (const float z : {e, -e}) {
        loop({{{e, e, z}, {e, -e, z}, {-e, -e, z}, {-e, e, z}}});
    }
    for (const float x : {e, -e}) {
        loop({{{x, e, e}, {x, e, -e}, {x, -e, -e}, {x, -e, e}}});
    }
    drawLines(loops, {0.7f, 0.7f, 0.7f, 0.5f}, GL_LINES);
}

void SceneRenderer3D::createNumbersTextures(double width, qreal pixelRatio) {
    if (width == majorTickWidth_ && pixelRatio == tickLabelRatio_) {
        return;
    }
    majorTickWidth_ = width;
    tickLabelRatio_ = pixelRatio;
    for (std::size_t i = 0; i < tickLabels_.size(); ++i) {
        const double multiple = static_cast<double>(i / 2 + 1) * (i % 2 == 0 ? 1.0 : -1.0);
        tickLabels_[i] = std::make_unique<Texture2D>(
            Texture2D::labelImage(QString::number(multiple * width, 'f', 1), pixelRatio));
    }
}

void SceneRenderer3D::drawSprite(Texture2D& texture, float x, float y, float z, float size) {
    if (!texture.isValid()) {
        return;
    }
    QOpenGLShaderProgram& program = programs_->sprite;
    texture.bind(0);
    program.setUniformValue("uPointSize", size);
    const std::array<float, 3> point = {x, y, z};
    glBufferData(GL_ARRAY_BUFFER, sizeof(point), point.data(), GL_STREAM_DRAW);
    glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_POINTS, 0, 1);
}

void SceneRenderer3D::drawLabels(float scale, const SceneOptions3D& options) {
    QOpenGLShaderProgram& program = programs_->sprite;
    program.bind();
    glUniformMatrix4fv(program.uniformLocation("uProjection"), 1, GL_FALSE, projection_.data());
    glUniformMatrix4fv(program.uniformLocation("uModelView"), 1, GL_FALSE, modelView_.data());
    program.setUniformValue("uTexture", 0);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindBuffer(GL_ARRAY_BUFFER, scratchBuffer_);
    glEnableVertexAttribArray(kPosition);
    const float reach = 8.0f / scale + 0.1f / scale;
    const float ratio = static_cast<float>(options.pixelRatio);
    if (options.displayValues && majorTickWidth_ > 0.0 && tickLabels_[0]) {
        glDepthMask(GL_FALSE);
        const float w = static_cast<float>(majorTickWidth_);
        const int n = std::min(static_cast<int>(reach / w), 4);
        const float lift = 0.3f / scale;
        for (int k = 1; k <= n; ++k) {
            const float t = static_cast<float>(k) * w;
            Texture2D& plus = *tickLabels_[static_cast<std::size_t>(2 * (k - 1))];
            Texture2D& minus = *tickLabels_[static_cast<std::size_t>(2 * (k - 1) + 1)];
            for (const float sign : {1.0f, -1.0f}) {
                Texture2D& label = sign > 0 ? plus : minus;
                drawSprite(label, sign * t, 0, lift, 32.0f * ratio);
                drawSprite(label, 0, sign * t, lift, 32.0f * ratio);
                drawSprite(label, 0, 0, sign * t, 32.0f * ratio);
            }
        }
    }
    glDepthMask(GL_TRUE);
    const float letter = reach + 0.5f / scale;
    const std::array<std::array<float, 3>, 3> places = {
        {{letter, 0, 0}, {0, letter, 0}, {0, 0, letter}}};
    for (std::size_t i = 0; i < letters_.size(); ++i) {
        if (letters_[i]) {
            drawSprite(*letters_[i], places[i][0], places[i][1], places[i][2], 24.0f * ratio);
        }
    }
    glDisableVertexAttribArray(kPosition);
    glDisable(GL_BLEND);
}

}  // namespace plotwise
