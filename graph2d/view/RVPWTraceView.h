#pragma once

#include <QFont>
#include <QWidget>

namespace plotwise {

class RVEquation2DView;

// The trace overlay of a 2D graph view: red cross-hair lines at the traced position, and for
// each visible explicit equation a marker at its trace point with a callout of its coordinates.
// It covers the graph view, lets every input through to it, and reads the equations and the
// viewport from it, so the two never disagree.
class RVPWTraceView : public QWidget {
    Q_OBJECT

public:
    explicit RVPWTraceView(RVEquation2DView* graphView);

    // View positions of the cross-hair lines in points (the x line is vertical).
    void setHorizontalTracePos(double x) { horizontalTracePos_ = x; }
    void setVertivalTracePos(double y) { vertivalTracePos_ = y; }
    double horizontalTracePos() const { return horizontalTracePos_; }
    double vertivalTracePos() const { return vertivalTracePos_; }

    // The label rectangle for a text of size `text` at anchor `anchor` in a view of `size`, and
    // the side its pointer is on.
    enum class PointerSide { Left, Right, Top, Bottom };
    static QRectF labelRect(QPointF anchor, QSizeF text, QSizeF size, PointerSide* side);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RVEquation2DView* graphView_;
    QFont labelFont_;
    double horizontalTracePos_ = -10.0;
    double vertivalTracePos_ = -10.0;
};

}  // namespace plotwise
