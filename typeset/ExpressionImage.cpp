#include "typeset/ExpressionImage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/RVOperationTree.h"
#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "typeset/FormulaLayout.h"

namespace plotwise {

namespace {

// The tree's text parsed again. The statements before a ";" run again while parsing, so they
// get a copy of the tree's variables: making a picture must not change the owner's table.
std::unique_ptr<RVOperationTree> parsedAgain(const RVOperationTree& tree, VariableTable& scratch) {
    scratch.fill(0.0);
    if (const double* table = tree.variableTable()) {
        std::copy(table, table + scratch.size(), scratch.begin());
    }
    RVParser parser;
    return parser.parse(tree.expressionString(), scratch.data());
}

}  // namespace

qreal ExpressionImage::screenDevicePixelRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

QImage ExpressionImage::imageOfLayout(FormulaLayout& layout, unsigned depth, const QColor& color,
                                      const QColor& shadowColor, qreal devicePixelRatio) {
    layout.cacheSizeAtDepth(depth);
    const OperationScreenSize& box = layout.size();
    if (!(devicePixelRatio > 0.0) || !(box.width() > 0.0) || !(box.height() > 0.0)) {
        return QImage();
    }
    const double width = std::ceil(box.width() * devicePixelRatio);
    const double height = std::ceil(box.height() * devicePixelRatio);
    if (width > maximumImageSide || height > maximumImageSide ||
        width * height > maximumImagePixels) {
        return QImage();
    }
    QImage image(static_cast<int>(width), static_cast<int>(height),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (shadowColor.isValid()) {
        painter.setPen(shadowColor);
        painter.setBrush(shadowColor);
        layout.drawInContext(painter, QPointF(1.0, 1.0), depth);
    }
    painter.setPen(color);
    painter.setBrush(color);
    layout.drawInContext(painter, QPointF(0.0, 0.0), depth);
    return image;
}

QImage ExpressionImage::expressionImageWithColor(const RVOperationTree& tree, const QColor& color,
                                                 const QColor& shadowColor, unsigned initialDepth) {
    return expressionImageWithColor(tree, color, shadowColor, initialDepth,
                                    screenDevicePixelRatio());
}

QImage ExpressionImage::expressionImageWithColor(const RVOperationTree& tree, const QColor& color,
                                                 const QColor& shadowColor, unsigned initialDepth,
                                                 qreal devicePixelRatio) {
    VariableTable scratch{};
    const auto parsed = parsedAgain(tree, scratch);
    if (!parsed) {
        return QImage();
    }
    FormulaLayout layout(parsed.get());
    return imageOfLayout(layout, initialDepth, color, shadowColor, devicePixelRatio);
}

const QImage& ExpressionImage::expressionImage(const RVOperationTree& tree) {
    return made_ ? image_ : expressionImage(tree, screenDevicePixelRatio());
}

const QImage& ExpressionImage::expressionImage(const RVOperationTree& tree,
                                               qreal devicePixelRatio) {
    if (!made_ || ratio_ != devicePixelRatio) {
        image_ = QImage();
        VariableTable scratch{};
        if (const auto parsed = parsedAgain(tree, scratch)) {
            FormulaLayout layout(parsed.get());
            image_ = imageOfLayout(layout, 0, Qt::black, QColor(), devicePixelRatio);
        }
        ratio_ = devicePixelRatio;
        made_ = true;
    }
    return image_;
}

void ExpressionImage::clear() {
    image_ = QImage();
    ratio_ = 0.0;
    made_ = false;
}

}  // namespace plotwise
