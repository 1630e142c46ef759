#pragma once

#include <QElapsedTimer>
#include <QModelIndex>
#include <QObject>
#include <QPointF>
#include <QTimer>

class QListView;
class QScroller;
class QWidget;

namespace plotwise {

class RVPWExpressionCell;

// Turns touches on the equation list into its gestures. A vertical drag or flick scrolls
// kinetically through QScroller; a sideways swipe over a row, a tap and a press and hold are
// reported; in editing mode a drag of a row's handle (by touch or mouse) reorders, shown by a
// drop line. Which one a touch is gets decided by its first movement, so a vertical drag never
// offers a delete and a swipe never scrolls.
class ExpressionListGestures : public QObject {
    Q_OBJECT

public:
    // Movement that decides between scroll and swipe, and the least swipe.
    static constexpr int decisionDistance = 12;
    static constexpr int swipeDistance = 40;

    ExpressionListGestures(QListView& view, RVPWExpressionCell& cell);

    QScroller* scroller() const { return scroller_; }
    // The line showing where a dragged row would land (hidden unless dragging).
    QWidget* dropIndicator() const { return dropIndicator_; }

signals:
    // Points are in the view's viewport.
    void tapped(const QModelIndex& index, QPoint at);
    void swiped(const QModelIndex& index);
    // A press held still, reported when it lifts.
    void held(const QModelIndex& index, QPoint at);
    // The row at `from` dragged by its handle to end at `to`.
    void reorderRequested(int from, int to);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Mode { Idle, Undecided, Scrolling, Swiping, Reordering, Held };

    void press(QPointF at, bool byTouch);
    void move(QPointF at);
    void release(QPointF at);
    void cancel();
    void beginReorder(const QModelIndex& index);
    int reorderTarget(double y) const;
    void showDropLine(int target);
    QModelIndex indexAt(QPointF at) const;

    QListView& view_;
    RVPWExpressionCell& cell_;
    QScroller* scroller_;
    QWidget* dropIndicator_;
    QTimer holdTimer_;
    Mode mode_ = Mode::Idle;
    // The scroller measures velocity from these times (ms).
    QElapsedTimer clock_;
    qint64 startTime_ = 0;
    QPointF start_;
    QPersistentModelIndex pressed_;
    // A touch that stopped a kinetic scroll is no tap.
    bool stoppedScroll_ = false;
};

}  // namespace plotwise
