#include "app/screens/list/ExpressionListGestures.h"

#include <QGuiApplication>
#include <QListView>
#include <QMouseEvent>
#include <QScroller>
#include <QStyleHints>
#include <QTouchEvent>
#include <cmath>

#include "app/screens/list/RVPWExpressionCell.h"

namespace plotwise {

ExpressionListGestures::ExpressionListGestures(QListView& view, RVPWExpressionCell& cell)
    : QObject(&view),
      view_(view),
      cell_(cell),
      scroller_(QScroller::scroller(view.viewport())),
      dropIndicator_(new QWidget(view.viewport())) {
    clock_.start();
    view_.viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    view_.viewport()->installEventFilter(this);
    dropIndicator_->setStyleSheet(QStringLiteral("background: rgb(30, 90, 200);"));
    dropIndicator_->hide();
    holdTimer_.setSingleShot(true);
    holdTimer_.setInterval(QGuiApplication::styleHints()->mousePressAndHoldInterval());
    // The menu of a hold opens when the finger lifts: a popup opened under the finger would
    // take that release as a click outside it and close at once.
    connect(&holdTimer_, &QTimer::timeout, this, [this] {
        if (mode_ == Mode::Undecided) {
            mode_ = Mode::Held;
        }
    });
}

QModelIndex ExpressionListGestures::indexAt(QPointF at) const {
    return view_.indexAt(at.toPoint());
}

bool ExpressionListGestures::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_.viewport()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: {
            auto* touch = static_cast<QTouchEvent*>(event);
            if (touch->points().isEmpty()) {
                return true;
            }
            // The first finger drives; others are ignored.
            const QPointF at = touch->points().first().position();
            if (event->type() == QEvent::TouchBegin) {
                press(at, true);
            } else if (event->type() == QEvent::TouchUpdate) {
                move(at);
            } else {
                release(at);
            }
            event->accept();
            return true;
        }
        case QEvent::TouchCancel:
            cancel();
            return true;
        case QEvent::MouseButtonPress: {
            // The mouse only drags handles; the view handles the rest.
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex index = indexAt(mouse->position());
            if (mouse->button() == Qt::LeftButton && cell_.isEditing() && index.isValid() &&
                cell_.isOnHandle(view_.visualRect(index), mouse->position().toPoint())) {
                press(mouse->position(), false);
                return true;
            }
            return false;
        }
        case QEvent::MouseMove:
            if (mode_ == Mode::Reordering) {
                move(static_cast<QMouseEvent*>(event)->position());
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (mode_ == Mode::Reordering) {
                release(static_cast<QMouseEvent*>(event)->position());
                return true;
            }
            return false;
        default:
            return false;
    }
}

void ExpressionListGestures::press(QPointF at, bool byTouch) {
    start_ = at;
    startTime_ = clock_.elapsed();
    pressed_ = indexAt(at);
    stoppedScroll_ = false;
    if (pressed_.isValid() && cell_.isEditing() &&
        cell_.isOnHandle(view_.visualRect(pressed_), at.toPoint())) {
        beginReorder(pressed_);
        return;
    }
    if (!byTouch) {
        return;
    }
    if (scroller_->state() == QScroller::Scrolling) {
        scroller_->stop();
        stoppedScroll_ = true;
    }
    mode_ = Mode::Undecided;
    holdTimer_.start();
}

void ExpressionListGestures::move(QPointF at) {
    const QPointF delta = at - start_;
    switch (mode_) {
        case Mode::Undecided:
            if (std::hypot(delta.x(), delta.y()) < decisionDistance) {
                return;
            }
            holdTimer_.stop();
            // Editing mode offers no swipe: its rows are marked instead.
            if (std::abs(delta.x()) > std::abs(delta.y()) && !cell_.isEditing()) {
                mode_ = Mode::Swiping;
                return;
            }
            mode_ = Mode::Scrolling;
            scroller_->handleInput(QScroller::InputPress, start_, startTime_);
            scroller_->handleInput(QScroller::InputMove, at, clock_.elapsed());
            return;
        case Mode::Scrolling:
            scroller_->handleInput(QScroller::InputMove, at, clock_.elapsed());
            return;
        case Mode::Reordering:
            showDropLine(reorderTarget(at.y()));
            return;
        case Mode::Idle:
        case Mode::Swiping:
        case Mode::Held:
            return;
    }
}

void ExpressionListGestures::release(QPointF at) {
    holdTimer_.stop();
    const Mode mode = mode_;
    mode_ = Mode::Idle;
    const QPointF delta = at - start_;
    switch (mode) {
        case Mode::Undecided:
            if (!stoppedScroll_ && pressed_.isValid()) {
                emit tapped(pressed_, at.toPoint());
            }
            return;
        case Mode::Scrolling:
            scroller_->handleInput(QScroller::InputRelease, at, clock_.elapsed());
            return;
        case Mode::Swiping:
            if (std::abs(delta.x()) >= swipeDistance && std::abs(delta.x()) > std::abs(delta.y()) &&
                pressed_.isValid()) {
                emit swiped(pressed_);
            }
            return;
        case Mode::Reordering: {
            dropIndicator_->hide();
            const int target = reorderTarget(at.y());
            if (pressed_.isValid() && target != pressed_.row()) {
                emit reorderRequested(pressed_.row(), target);
            }
            return;
        }
        case Mode::Held:
            emit held(indexAt(start_), start_.toPoint());
            return;
        case Mode::Idle:
            return;
    }
}

void ExpressionListGestures::cancel() {
    holdTimer_.stop();
    if (mode_ == Mode::Scrolling) {
        scroller_->handleInput(QScroller::InputRelease, start_, clock_.elapsed());
    }
    dropIndicator_->hide();
    mode_ = Mode::Idle;
}

void ExpressionListGestures::beginReorder(const QModelIndex& index) {
    mode_ = Mode::Reordering;
    showDropLine(index.row());
}

int ExpressionListGestures::reorderTarget(double y) const {
    const int rows = view_.model() != nullptr ? view_.model()->rowCount() : 0;
    if (rows == 0) {
        return 0;
    }
    const QModelIndex over =
        view_.indexAt(QPoint(view_.viewport()->width() / 2, static_cast<int>(y)));
    if (over.isValid()) {
        return over.row();
    }
    return y < 0 ? 0 : rows - 1;
}

void ExpressionListGestures::showDropLine(int target) {
    if (!pressed_.isValid() || view_.model() == nullptr) {
        return;
    }
    const QRect row = view_.visualRect(view_.model()->index(target, 0));
    // The dragged row lands above the target row when it comes from below, else beneath it.
    const int y = target < pressed_.row() ? row.top() : row.bottom();
    dropIndicator_->setGeometry(0, y - 1, view_.viewport()->width(), 3);
    dropIndicator_->setVisible(target != pressed_.row());
    dropIndicator_->raise();
}

}  // namespace plotwise
