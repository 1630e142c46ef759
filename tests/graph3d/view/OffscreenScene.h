#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <memory>
#include <vector>

#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph3d/RVEquation3D.h"
#include "graph3d/view/SceneRenderer3D.h"

namespace plotwise::testing {

// The pixels of `area` (within the image) that `keep` accepts.
template <typename Keep>
int countPixels(const QImage& image, QRect area, Keep keep) {
    area &= image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += keep(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// A GL context on an offscreen surface and a renderer in it, for pixel tests. Without GL it
// fails the test that made it: these tests never skip.
class OffscreenScene {
public:
    OffscreenScene() {
        surface_.setFormat(context_.format());
        surface_.create();
        available_ = context_.create() && surface_.isValid() && context_.makeCurrent(&surface_);
        EXPECT_TRUE(available_) << "no OpenGL context (run under xvfb-run)";
        if (available_) {
            EXPECT_TRUE(renderer_.initialize()) << renderer_.errorString().toStdString();
        }
    }
    ~OffscreenScene() {
        if (available_) {
            context_.makeCurrent(&surface_);
            renderer_.release();
            context_.doneCurrent();
        }
    }

    bool ok() const { return available_ && renderer_.isInitialized(); }

    // A visible equation in `color`, meshed for `state` (phone divisions).
    RVEquation3D* add(const std::string& text, QColor color, const SceneState3D& state,
                      bool faster = true) {
        ParsedExpression parsed = parseExpression(toUtf16(text), table_.data());
        EXPECT_TRUE(parsed.tree) << text;
        if (!parsed.tree) {
            return nullptr;
        }
        auto equation = RVEquation3D::equation3DwithOperationTree(std::move(parsed.tree));
        equation->setVisible(true);
        equation->setColor(color);
        equation->evaluateWithLimits(state.limitsForType(equation->type(), DeviceClass::Phone),
                                     DeviceClass::Phone, faster);
        equations_.push_back(std::move(equation));
        return equations_.back().get();
    }

    QImage render(const SceneState3D& state, SceneOptions3D options = {}) {
        return renderWithAlpha(state, options).convertToFormat(QImage::Format_RGB32);
    }

    // The framebuffer as read back, alpha included.
    QImage renderWithAlpha(const SceneState3D& state, SceneOptions3D options = {}) {
        if (!ok()) {
            return {};
        }
        context_.makeCurrent(&surface_);
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::Depth);
        QOpenGLFramebufferObject framebuffer(size_, format);
        framebuffer.bind();
        options.pixelSize = size_;
        options.eyeDistance = -8.0f;
        std::vector<RVEquation3D*> scene;
        for (const auto& equation : equations_) {
            scene.push_back(equation.get());
        }
        renderer_.render(state, scene, options);
        const QImage image = framebuffer.toImage();
        framebuffer.release();
        return image;
    }

    void clear() { equations_.clear(); }
    SceneRenderer3D& renderer() { return renderer_; }
    QSize size() const { return size_; }

private:
    QOpenGLContext context_;
    QOffscreenSurface surface_;
    SceneRenderer3D renderer_;
    VariableTable table_{};
    std::vector<std::unique_ptr<RVEquation3D>> equations_;
    QSize size_{400, 300};
    bool available_ = false;
};

}  // namespace plotwise::testing
