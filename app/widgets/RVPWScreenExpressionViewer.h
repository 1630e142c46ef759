#pragma once

#include <QImage>
#include <QVariantAnimation>
#include <QWidget>

namespace plotwise {

class RVEquation;

// Where the formula viewer gets what it shows: the plane's visible equations.
class RVPWScreenExpressionViewerDelegate {
public:
    virtual ~RVPWScreenExpressionViewerDelegate() = default;
    virtual int expressionCountForExpressionViewer() = 0;
    virtual QImage imageForExpressionAtIndex(int index) = 0;
};

// The viewer's image of an equation: its formula in the equation's colour made opaque (black
// when it has none) over a black shadow, laid out from superscript depth 2. Null when the text
// no longer parses or the formula is too large for an image.
QImage expressionViewerImage(const RVEquation& equation, qreal devicePixelRatio);

// The floating formula viewer of the phone's plane. Collapsed it is a round 30 × 30 plus
// button; a press expands it to show the visible equations one at a time with a dot per
// equation, the plus turned into a cross. A press on the expanded viewer shows the next
// equation (after the last, the first), a press on a dot that equation, a press on the cross
// collapses it. It hides itself while no equation is visible.
class RVPWScreenExpressionViewer : public QWidget {
    Q_OBJECT

public:
    static constexpr int collapsedSide = 30;

    explicit RVPWScreenExpressionViewer(QWidget* parent = nullptr);

    void setDelegate(RVPWScreenExpressionViewerDelegate* delegate);
    RVPWScreenExpressionViewerDelegate* delegate() const { return delegate_; }

    bool isExpanded() const { return expanded_; }
    // Expands (showing the first equation) or collapses, as a press on the button does.
    void toggle();
    // Shows the equation at `index` (wrapping) while expanded.
    void showExpressionAtIndex(int index);
    void showNext();
    int currentIndex() const { return current_; }
    int pageCount() const { return count_; }
    // After the visible equations changed: shows the current index again, or the first when it
    // is gone; collapses and hides with none, shows the button again once there is one.
    void reloadCurrent();

    // The image shown and the rectangle it is drawn in, scaled down to fit the parent.
    const QImage& currentImage() const { return image_; }
    QRectF imageRect() const { return imageRect_; }
    // Where the page dot of `index` is drawn.
    QRectF dotRect(int index) const;
    // The plus's turn in degrees: 0 collapsed, 45 expanded, in between while it turns.
    double plusRotation() const { return rotation_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void collapse();
    void layOut();
    void turnPlusTo(double degrees);
    int fetchCount();

    RVPWScreenExpressionViewerDelegate* delegate_ = nullptr;
    bool expanded_ = false;
    int current_ = 0;
    int count_ = 0;
    QImage image_;
    QRectF imageRect_;
    double rotation_ = 0.0;
    QVariantAnimation turn_;
};

}  // namespace plotwise
