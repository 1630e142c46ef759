#pragma once

#include <QImage>
#include <QOpenGLTexture>
#include <memory>

namespace plotwise {

// An image as a texture for the labels, with linear filtering. Needs a current context to be
// made and released.
class Texture2D {
public:
    explicit Texture2D(const QImage& image);
    ~Texture2D();
    Texture2D(const Texture2D&) = delete;
    Texture2D& operator=(const Texture2D&) = delete;

    bool isValid() const { return texture_ && texture_->isCreated(); }
    void bind(unsigned unit = 0) { texture_->bind(unit); }

    // A 64×64-point label: `text` in Liberation Sans Bold at 22 points, filled white and
    // outlined black so it reads on either background, at `pixelRatio` pixels per point.
    static QImage labelImage(const QString& text, qreal pixelRatio);

private:
    std::unique_ptr<QOpenGLTexture> texture_;
};

}  // namespace plotwise
