#include "graph3d/view/Texture2D.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace plotwise {

Texture2D::Texture2D(const QImage& image) {
    if (image.isNull()) {
        return;
    }
    // Rows as stored: point sprites read the top row at t = 0.
    texture_ = std::make_unique<QOpenGLTexture>(QOpenGLTexture::Target2D);
    texture_->setData(image.convertToFormat(QImage::Format_RGBA8888),
                      QOpenGLTexture::DontGenerateMipMaps);
    texture_->setMinMagFilters(QOpenGLTexture::Linear, QOpenGLTexture::Linear);
    texture_->setWrapMode(QOpenGLTexture::ClampToEdge);
}

Texture2D::~Texture2D() = default;

QImage Texture2D::labelImage(const QString& text, qreal pixelRatio) {
    const int side = qRound(64 * pixelRatio);
    QImage image(side, side, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixelRatio, pixelRatio);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(22);
    QPainterPath path;
    path.addText(QPointF(0.0, 39.0), font, text);
    // Centred across, so the point the label marks is its middle.
    path.translate((64.0 - path.boundingRect().width()) / 2.0 - path.boundingRect().left(), 0.0);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::white);
    painter.drawPath(path);
    return image;
}

}  // namespace plotwise
