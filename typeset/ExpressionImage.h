#pragma once

#include <QColor>
#include <QImage>

namespace plotwise {

class FormulaLayout;
class RVOperationTree;

// Formula images of expression trees, for list cells, the input preview and shared mail. An
// image has a transparent background and the size of the formula's box times the pixel ratio.
// One ExpressionImage kept beside a tree holds that tree's plain image once it is made.
class ExpressionImage {
public:
    // Limits, in device pixels, of an image we make (the raster engine's coordinate range, and
    // 256 MB); a larger formula gets no image rather than exhausting memory.
    static constexpr int maximumImageSide = 32767;
    static constexpr double maximumImagePixels = 64.0 * 1024.0 * 1024.0;

    // The tree's image at depth 0 in black at the screen's pixel ratio, made on the first call
    // from the tree's text parsed again, then kept. Null when the text no longer parses.
    const QImage& expressionImage(const RVOperationTree& tree);
    // The same at `devicePixelRatio`: a kept image of another ratio is made again.
    const QImage& expressionImage(const RVOperationTree& tree, qreal devicePixelRatio);
    bool isMade() const { return made_; }
    // Forgets the kept image (after the tree changed).
    void clear();

    // Not kept: the tree's text parsed again and laid out at `initialDepth`, drawn once in
    // `shadowColor` at (1, 1), then in `color` at (0, 0). Null when the text no longer parses.
    static QImage expressionImageWithColor(const RVOperationTree& tree, const QColor& color,
                                           const QColor& shadowColor, unsigned initialDepth);
    static QImage expressionImageWithColor(const RVOperationTree& tree, const QColor& color,
                                           const QColor& shadowColor, unsigned initialDepth,
                                           qreal devicePixelRatio);

    // A layout (laid out at `depth` if it is not yet) drawn in `color` into a new image; an
    // invalid `shadowColor` draws no shadow. Null for an empty box or one too large.
    static QImage imageOfLayout(FormulaLayout& layout, unsigned depth, const QColor& color,
                                const QColor& shadowColor, qreal devicePixelRatio);

    // The primary screen's pixel ratio (1 without a screen).
    static qreal screenDevicePixelRatio();

private:
    QImage image_;
    qreal ratio_ = 0.0;
    bool made_ = false;
};

}  // namespace plotwise
