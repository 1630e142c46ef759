#include "graph2d/view/RVEquation2DView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QScreen>
#include <QTouchEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "equations/EquationModelObserver.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/ViewStateDictionary2D.h"
#include "graph2d/view/RVEquation2DViewDelegate.h"
#include "graph2d/view/RVPWTraceView.h"

namespace plotwise {

RVEquation2DView::RVEquation2DView(QWidget* parent)
    : QWidget(parent), traceView_(new RVPWTraceView(this)) {
    traceView_->hide();
    traceTimer_.setSingleShot(true);
    traceTimer_.setInterval(300);
    connect(&traceTimer_, &QTimer::timeout, this, &RVEquation2DView::startTrace);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AcceptTouchEvents);
    // Arrow keys and +/- move and zoom once the plane has focus (a click gives it).
    setFocusPolicy(Qt::StrongFocus);
    wheelSettleTimer_.setSingleShot(true);
    wheelSettleTimer_.setInterval(150);
    connect(&wheelSettleTimer_, &QTimer::timeout, this, &RVEquation2DView::resampleAfterMove);
    moveResampleTimer_.setSingleShot(true);
    connect(&moveResampleTimer_, &QTimer::timeout, this, &RVEquation2DView::resampleDuringMove);
}

RVEquation2DView::~RVEquation2DView() = default;

void RVEquation2DView::setModel(EquationModel2D* model) {
    if (model_) {
        model_->disconnect(this);
    }
    model_ = model;
    if (model != nullptr) {
        EquationModelObserver::observe(
            *model, *this, [this](int first, int last) { evaluateRows(first, last); },
            [this] { update(); });
        evaluateRows(0, model->count() - 1);
    }
    update();
}

std::vector<RVEquation2D*> RVEquation2DView::equations() const {
    return model_ ? model_->all() : std::vector<RVEquation2D*>{};
}

void RVEquation2DView::evaluateRows(int first, int last) {
    if (isDisplayOnly_ || !model_ || first > last) {
        return;
    }
    const EvaluationLimits2D limits = limitsForVisibleViews();
    for (int row = first; row <= last; ++row) {
        if (RVEquation2D* equation = model_->equationAt(row)) {
            equation->evaluateWithLimits(limits, deviceClass_);
        }
    }
}

void RVEquation2DView::setLockAxisZoom(bool lock) {
    gesture_.setLockAxisZoom(lock);
    majorTicks_.reset();
    update();
}

void RVEquation2DView::setUseDarkBackground(bool dark) {
    planePainter_.setUseDarkBackground(dark);
    update();
}

void RVEquation2DView::setUseThickLines(bool thick) {
    planePainter_.setUseThickLines(thick);
    update();
}

void RVEquation2DView::syncSize() {
    gesture_.setSize(width(), height());
}

Viewport2D RVEquation2DView::viewport() const {
    Viewport2D shown = gesture_.current();
    shown.setSize(width(), height());
    return shown;
}

QPointF RVEquation2DView::viewPointForPlanePoint(double x, double y) const {
    const Point2D p = viewport().viewPoint({x, y});
    return {p.x, p.y};
}

QPointF RVEquation2DView::planePointForViewPoint(QPointF point) const {
    const Point2D p = viewport().planePoint({point.x(), point.y()});
    return {p.x, p.y};
}

EvaluationLimits2D RVEquation2DView::limitsForVisibleViews() {
    const QList<RVEquation2DView*> views =
        delegate_ ? delegate_->arrayWithVisible2DViews() : QList<RVEquation2DView*>{};
    if (views.isEmpty()) {
        return evaluationLimits();
    }
    EvaluationLimits2D limits = views.first()->evaluationLimits();
    if (views.size() == 2) {
        // One set of samples serves the mirror too: the window covers both views.
        const EvaluationLimits2D second = views.at(1)->evaluationLimits();
        limits = EvaluationLimits2D::withWindow(
            std::min(limits.minx, second.minx), std::max(limits.maxx, second.maxx),
            std::min(limits.miny, second.miny), std::max(limits.maxy, second.maxy),
            limits.pixelUnitRatioX, limits.pixelUnitRatioY);
    }
    return limits;
}

void RVEquation2DView::evaluateAllFunctions() {
    if (isDisplayOnly_) {
        return;
    }
    const EvaluationLimits2D limits = limitsForVisibleViews();
    for (RVEquation2D* equation : equations()) {
        equation->evaluateWithLimits(limits, deviceClass_);
    }
}

void RVEquation2DView::resetView() {
    majorTicks_.reset();
    gesture_.current().reset();
    evaluateAllFunctions();
    update();
    sendState();
}

void RVEquation2DView::zoomAbout(QPointF anchor, double factorX, double factorY) {
    syncSize();
    gesture_.move().zoomAbout({anchor.x(), anchor.y()}, factorX, factorY);
    majorTicks_.reset();
    scheduleMoveResample();
    update();
}

void RVEquation2DView::panBy(QPointF distance) {
    gesture_.move().panBy(distance.x(), distance.y());
    scheduleMoveResample();
    update();
}

void RVEquation2DView::setUsesLayers(bool uses) {
    usesLayers_ = uses;
    layers_.clear();
    update();
}

int RVEquation2DView::moveResampleInterval() const {
    return std::max(50, static_cast<int>(std::ceil(4.0 * lastResampleMilliseconds_)));
}

void RVEquation2DView::scheduleMoveResample() {
    if (isDisplayOnly_ || moveResampleTimer_.isActive()) {
        return;
    }
    // The first step of a move waits a whole interval: a tap's jitter resamples nothing.
    const qint64 since = sinceMoveResample_.isValid() ? sinceMoveResample_.elapsed() : 0;
    const int interval = moveResampleInterval();
    moveResampleTimer_.start(static_cast<int>(std::clamp<qint64>(interval - since, 0, interval)));
}

void RVEquation2DView::resampleDuringMove() {
    if (!gesture_.inProgress()) {
        return;
    }
    QElapsedTimer cost;
    cost.start();
    evaluateAllFunctions();
    lastResampleMilliseconds_ = static_cast<double>(cost.nsecsElapsed()) / 1e6;
    sinceMoveResample_.start();
    update();
}

void RVEquation2DView::resampleAfterMove() {
    wheelSettleTimer_.stop();
    moveResampleTimer_.stop();
    sinceMoveResample_.invalidate();
    if (gesture_.finish()) {
        evaluateAllFunctions();
        update();
    }
    sendState();
}

QVariantMap RVEquation2DView::dictionaryWithViewState() const {
    return ViewStateDictionary2D::dictionary(
        gesture_.current(), {traceView_->isHidden(), tracingValueX_, tracingValueY_},
        movedOrZoomed());
}

void RVEquation2DView::setViewstateWithDictionary(const QVariantMap& state) {
    const auto restored = ViewStateDictionary2D::read(state, gesture_.current());
    if (!restored) {
        return;
    }
    gesture_.current() = restored->viewport;
    if (restored->newRatio) {
        majorTicks_.reset();
    }
    tracingValueX_ = restored->tracingX;
    tracingValueY_ = restored->tracingY;
    evaluateAllFunctions();
    if (restored->traceAgain) {
        traceView_->show();
        traceExplicitEquationsAt(tracingValueX_, tracingValueY_);
    }
    update();
}

void RVEquation2DView::sendState() {
    if (delegate_) {
        delegate_->equationViewDidChangeStateDictionary(dictionaryWithViewState());
    }
}

QImage RVEquation2DView::imageRepresentation() {
    const qreal ratio = screen() ? screen()->devicePixelRatio() : devicePixelRatioF();
    QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    // Through render, so the trace overlay comes along.
    render(&image);
    return image;
}

bool RVEquation2DView::canTrace() const {
    const std::vector<RVEquation2D*> all = equations();
    return std::any_of(all.begin(), all.end(), [](const RVEquation2D* e) {
        return e->type() == EquationType::ExplicitX || e->type() == EquationType::ExplicitY;
    });
}

void RVEquation2DView::startTrace() {
    if (!canTrace()) {
        return;
    }
    panning_ = false;
    tracing_ = true;
    traceView_->setGeometry(rect());
    traceView_->show();
    const QPointF p = planePointForViewPoint(tapLocation_);
    traceExplicitEquationsAt(p.x(), p.y());
}

void RVEquation2DView::handleInterfaceRotation() {
    traceView_->hide();
    update();
}

void RVEquation2DView::traceExplicitEquationsAt(double x, double y) {
    tracingValueX_ = x;
    tracingValueY_ = y;
    for (RVEquation2D* equation : equations()) {
        if (!equation->visible()) {
            continue;
        }
        if (const std::optional<SamplePoint> trace = equation->traceAt(x, y)) {
            equation->setTrace(*trace);
            if (equation->type() == EquationType::ExplicitY) {
                traceView_->setHorizontalTracePos(viewPointForPlanePoint(x, 0.0).x());
            } else {
                traceView_->setVertivalTracePos(viewPointForPlanePoint(0.0, y).y());
            }
        }
    }
    traceView_->update();
    sendState();
}

void RVEquation2DView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawPlane(painter, QSizeF(size()));
}

void RVEquation2DView::drawPlane(QPainter& painter, QSizeF size) {
    PlanePainter::Frame frame;
    frame.viewport = gesture_.current();
    frame.viewport.setSize(size.width(), size.height());
    if (!majorTicks_) {
        majorTicks_ = frame.viewport.majorTickWidths();
    }
    frame.majorTicks = majorTicks_;
    if (delegate_) {
        const QSizeF offsets = delegate_->sizeWithTopAndBottomOffsets();
        frame.top = offsets.width();
        frame.bottom = offsets.height();
    }
    frame.moving = movedOrZoomed();
    // While the screen restores its workspace it switches the view off and fills the list.
    frame.drawEquations = isEnabled();
    frame.layers = usesLayers_ ? &layers_ : nullptr;
    planePainter_.paint(painter, frame, equations());
}

void RVEquation2DView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncSize();
    traceView_->setGeometry(rect());
    // Sampled here, not in paintEvent, so that painting never waits for the equations.
    evaluateAllFunctions();
    sendState();
}

void RVEquation2DView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The right button traces at once, without the hold.
        panning_ = false;
        tapLocation_ = event->position();
        startTrace();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    panning_ = true;
    tapLocation_ = event->position();
    traceTimer_.start();
}

void RVEquation2DView::mouseMoveEvent(QMouseEvent* event) {
    if (!panning_ && !tracing_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    traceTimer_.stop();
    if (tracing_) {
        tapLocation_ = event->position();
        const QPointF p = planePointForViewPoint(tapLocation_);
        traceExplicitEquationsAt(p.x(), p.y());
        return;
    }
    traceView_->hide();
    panBy(event->position() - tapLocation_);
    tapLocation_ = event->position();
}

void RVEquation2DView::mouseReleaseEvent(QMouseEvent* event) {
    const bool gestureButton =
        event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
    if (!gestureButton || (!panning_ && !tracing_)) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    // The overlay stays up after a trace, until the next move.
    traceTimer_.stop();
    panning_ = false;
    tracing_ = false;
    resampleAfterMove();
}

bool RVEquation2DView::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::NativeGesture:
            return handleNativeGesture(static_cast<QNativeGestureEvent*>(event)) ||
                   QWidget::event(event);
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate: {
            const QList<QEventPoint>& points = static_cast<QTouchEvent*>(event)->points();
            const bool released = std::any_of(points.begin(), points.end(), [](const auto& p) {
                return p.state() == QEventPoint::Released;
            });
            const bool pressed = std::any_of(points.begin(), points.end(), [](const auto& p) {
                return p.state() == QEventPoint::Pressed;
            });
            if (released) {
                // A lifted finger ends the gesture; the rest start again when another lands.
                touchesDone();
            } else if (pressed) {
                touchesBegan(points);
            } else {
                touchesMoved(points);
            }
            event->accept();
            return true;
        }
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            touchesDone();
            event->accept();
            return true;
        default:
            return QWidget::event(event);
    }
}

void RVEquation2DView::touchesBegan(const QList<QEventPoint>& points) {
    if (points.size() != 2) {
        tapLocation_ = points.first().position();
        panning_ = true;
        traceTimer_.start();
        return;
    }
    traceTimer_.stop();
    panning_ = false;
    pinchZoom_ = true;
    const QPointF delta = points.at(0).position() - points.at(1).position();
    gesture_.beginPinch(delta.x(), delta.y());
}

void RVEquation2DView::touchesMoved(const QList<QEventPoint>& points) {
    traceTimer_.stop();
    if (pinchZoom_ && points.size() == 2) {
        traceView_->hide();
        syncSize();
        const QPointF delta = points.at(0).position() - points.at(1).position();
        gesture_.pinchTo(delta.x(), delta.y());
        majorTicks_.reset();
        scheduleMoveResample();
        update();
    } else if (!panning_ && tracing_ && points.size() == 1) {
        tapLocation_ = points.first().position();
        const QPointF p = planePointForViewPoint(tapLocation_);
        traceExplicitEquationsAt(p.x(), p.y());
    } else if (panning_) {
        traceView_->hide();
        const QPointF position = points.first().position();
        panBy(position - tapLocation_);
        tapLocation_ = position;
    }
}

void RVEquation2DView::touchesDone() {
    traceTimer_.stop();
    tracing_ = false;
    panning_ = false;
    pinchZoom_ = false;
    gesture_.endPinch();
    resampleAfterMove();
}

void RVEquation2DView::keyPressEvent(QKeyEvent* event) {
    // A tenth of the view per arrow press; the plane moves so the arrow's side comes into view.
    const QPointF step(width() / 10.0, height() / 10.0);
    QPointF distance;
    double zoom = 1.0;
    switch (event->key()) {
        case Qt::Key_Left:
            distance = {step.x(), 0.0};
            break;
        case Qt::Key_Right:
            distance = {-step.x(), 0.0};
            break;
        case Qt::Key_Up:
            distance = {0.0, step.y()};
            break;
        case Qt::Key_Down:
            distance = {0.0, -step.y()};
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoom = std::sqrt(2.0);
            break;
        case Qt::Key_Minus:
            zoom = 1.0 / std::sqrt(2.0);
            break;
        case Qt::Key_Escape:
            if (!traceView_->isHidden()) {
                traceView_->hide();
                return;
            }
            [[fallthrough]];
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    traceView_->hide();
    if (zoom != 1.0) {
        zoomAbout(QPointF(width() / 2.0, height() / 2.0), zoom, zoom);
    } else {
        panBy(distance);
    }
    // Held keys repeat: resample once they stop.
    wheelSettleTimer_.start();
}

bool RVEquation2DView::handleNativeGesture(QNativeGestureEvent* event) {
    switch (event->gestureType()) {
        case Qt::ZoomNativeGesture: {
            // A touchpad pinch: value is the relative change of the fingers' spread.
            const double factor = 1.0 + event->value();
            if (factor > 0.0) {
                traceView_->hide();
                zoomAbout(event->position(), factor, factor);
                wheelSettleTimer_.start();
            }
            return true;
        }
        case Qt::EndNativeGesture:
            if (wheelSettleTimer_.isActive()) {
                wheelSettleTimer_.stop();
                resampleAfterMove();
            }
            return true;
        default:
            return false;
    }
}

void RVEquation2DView::wheelEvent(QWheelEvent* event) {
    // 120 units are one notch of a mouse wheel: a notch zooms by 2^(1/4).
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0) {
        event->ignore();
        return;
    }
    const double factor = std::pow(2.0, notches / 4.0);
    traceView_->hide();
    zoomAbout(event->position(), factor, factor);
    wheelSettleTimer_.start();
    event->accept();
}

}  // namespace plotwise
