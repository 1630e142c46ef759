#include "graph3d/view/RVEquation3DView.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QStyleHints>
#include <QTouchEvent>
#include <QWheelEvent>
#include <cmath>

#include "equations/EquationModelObserver.h"
#include "graph2d/view/RVEquationViewDelegate.h"
#include "graph3d/view/MeshBufferStore3D.h"

namespace plotwise {

namespace {

constexpr int kBoxHideMilliseconds = 1000;
constexpr int kZoomSettleMilliseconds = 150;
constexpr float kWheelStep = 1.1f;
constexpr float kKeyRotationDegrees = 5.0f;
// Points of pan a shifted arrow key stands for (a finger pair moves 240 points an eye unit).
constexpr float kKeyPanPoints = 20.0f;
constexpr float kPanPointsPerUnit = 240.0f;

std::vector<TouchGesture3D::Finger> fingers(const QList<QEventPoint>& points, bool movedOnly) {
    std::vector<TouchGesture3D::Finger> result;
    for (const QEventPoint& point : points) {
        if (point.state() == QEventPoint::State::Released) {
            continue;
        }
        if (movedOnly && (point.state() != QEventPoint::State::Updated ||
                          point.position() == point.lastPosition())) {
            continue;
        }
        result.push_back({point.position(), point.lastPosition()});
    }
    return result;
}

}  // namespace

RVEquation3DView::RVEquation3DView(QWidget* parent)
    : QOpenGLWidget(parent),
      indexWidth_(QOpenGLContext::openGLModuleType() == QOpenGLContext::LibGL
                      ? IndexWidth::Bits32
                      : IndexWidth::Bits16) {
    setAttribute(Qt::WA_AcceptTouchEvents);
    setFocusPolicy(Qt::StrongFocus);
    boxTimer_.setInterval(kBoxHideMilliseconds);
    connect(&boxTimer_, &QTimer::timeout, this, &RVEquation3DView::hideBox);
    zoomTimer_.setSingleShot(true);
    zoomTimer_.setInterval(kZoomSettleMilliseconds);
    connect(&zoomTimer_, &QTimer::timeout, this, [this] {
        evaluateAllFunctions();
        update();
    });
}

RVEquation3DView::~RVEquation3DView() {
    releaseGL();
}

bool RVEquation3DView::openGLAvailable() {
    static const bool available = [] {
        // Its GLX contexts serve offscreen surfaces, but it cannot compose a QOpenGLWidget.
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            return false;
        }
        QOpenGLContext context;
        if (!context.create()) {
            return false;
        }
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        const bool current = surface.isValid() && context.makeCurrent(&surface);
        if (current) {
            context.doneCurrent();
        }
        return current;
    }();
    return available;
}

void RVEquation3DView::setModel(EquationModel3D* model) {
    if (model_) {
        model_->disconnect(this);
    }
    model_ = model;
    if (model != nullptr) {
        // While the screen restores the plane, its end repaints once.
        EquationModelObserver::observe(
            *model, *this, [this](int first, int last) { evaluateRows(first, last); },
            [this] {
                if (!loadingState_) {
                    update();
                }
            });
        evaluateRows(0, model->count() - 1);
    }
    update();
}

std::vector<RVEquation3D*> RVEquation3DView::equations() const {
    return model_ ? model_->all() : std::vector<RVEquation3D*>{};
}

void RVEquation3DView::setUseLightBackground(bool light) {
    useLightBackground_ = light;
    update();
}

void RVEquation3DView::setDisplayValues(bool display) {
    displayValues_ = display;
    update();
}

void RVEquation3DView::evaluateRows(int first, int last) {
    if (!model_ || loadingState_) {
        return;
    }
    const bool faster = fasterImplicits_();
    for (int row = std::max(first, 0); row <= last; ++row) {
        if (RVEquation3D* equation = model_->equationAt(row)) {
            equation->evaluateWithLimits(state_.limitsForType(equation->type(), deviceClass_),
                                         deviceClass_, faster, indexWidth_);
        }
    }
}

void RVEquation3DView::evaluateAllFunctions() {
    ++evaluations_;
    if (!model_ || evaluating_) {
        return;
    }
    const std::vector<RVEquation3D*> all = model_->all();
    const bool stale = std::any_of(all.begin(), all.end(), [this](const RVEquation3D* equation) {
        return equation->visible() && !state_.limitsForType(equation->type(), deviceClass_)
                                           .closeTo(equation->previousEvaluationLimits());
    });
    if (!stale) {
        return;
    }
    evaluating_ = true;
    QWidget* screen = parentWidget() != nullptr ? parentWidget() : this;
    const bool wasEnabled = screen->isEnabled();
    screen->setEnabled(false);
    const bool faster = fasterImplicits_();
    for (RVEquation3D* equation : all) {
        equation->evaluateWithLimits(state_.limitsForType(equation->type(), deviceClass_),
                                     deviceClass_, faster, indexWidth_);
    }
    // Input that queued up meanwhile reaches a disabled screen and is dropped.
    QCoreApplication::processEvents();
    screen->setEnabled(wasEnabled);
    evaluating_ = false;
}

void RVEquation3DView::drawViewByRotating(const SceneIncrement3D& increment) {
    state_.applyIncrement(increment.ax, increment.ay, increment.k, increment.tx, increment.ty);
    update();
}

void RVEquation3DView::nextMode() {
    state_.nextMode();
    update();
}

void RVEquation3DView::resetView() {
    state_.resetView();
    evaluateAllFunctions();
    update();
}

void RVEquation3DView::setViewstateWithDictionary(const QVariantMap& state) {
    state_.setViewstateWithDictionary(state);
}

void RVEquation3DView::sendState() {
    if (delegate_ != nullptr) {
        delegate_->equationViewDidChangeStateDictionary(state_.stateForDelegate());
    }
}

void RVEquation3DView::initializeGL() {
    // Released while the context is still there: a new window brings a new context.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &RVEquation3DView::releaseGL,
            Qt::DirectConnection);
    if (!renderer_.initialize()) {
        emit renderingFailed(renderer_.errorString());
        return;
    }
    // The uploads of the last context went with it, and they had freed the client meshes; a
    // mesh made for another index width is rebuilt too.
    const IndexWidth width = MeshBufferStore3D::indexWidthOf(context());
    const bool widthChanged = width != indexWidth_;
    indexWidth_ = width;
    if ((contextsMade_++ > 0 || widthChanged) && model_) {
        for (RVEquation3D* equation : model_->all()) {
            equation->spoilCache();
        }
        evaluateRows(0, model_->count() - 1);
    }
}

void RVEquation3DView::releaseGL() {
    if (!renderer_.isInitialized() || context() == nullptr) {
        return;
    }
    makeCurrent();
    renderer_.release();
    doneCurrent();
}

void RVEquation3DView::paintGL() {
    if (!renderer_.isInitialized()) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    SceneOptions3D options;
    options.lightBackground = useLightBackground_;
    options.displayValues = displayValues_;
    options.showRotationBox = showRotationBox_();
    options.fasterImplicits = fasterImplicits_();
    options.pixelRatio = ratio;
    options.pixelSize = QSize(qRound(width() * ratio), qRound(height() * ratio));
    options.eyeDistance =
        SceneState3D::eyeDistance(delegate_ != nullptr, width(), height(), deviceClass_);
    renderer_.render(state_, equations(), options);
    sendState();
}

void RVEquation3DView::restartBoxTimer() {
    boxTimer_.stop();
    boxTimer_.start();
}

void RVEquation3DView::hideBox() {
    boxTimer_.stop();
    if (state_.isRotando()) {
        state_.setRotando(false);
        update();
    }
}

bool RVEquation3DView::event(QEvent* event) {
    // QWidget drops the other input of a disabled widget (while evaluating); these too.
    const bool input = event->type() == QEvent::TouchBegin ||
                       event->type() == QEvent::TouchUpdate || event->type() == QEvent::TouchEnd ||
                       event->type() == QEvent::NativeGesture;
    if (input && !isEnabled()) {
        event->ignore();
        return true;
    }
    switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            touchEvent(static_cast<QTouchEvent*>(event));
            return true;
        case QEvent::NativeGesture: {
            auto* gesture = static_cast<QNativeGestureEvent*>(event);
            if (gesture->gestureType() == Qt::ZoomNativeGesture) {
                zoomBy(static_cast<float>(1.0 + gesture->value()));
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QOpenGLWidget::event(event);
}

void RVEquation3DView::touchEvent(QTouchEvent* event) {
    const QList<QEventPoint>& points = event->points();
    int pressed = 0;
    int released = 0;
    for (const QEventPoint& point : points) {
        pressed += point.state() == QEventPoint::State::Pressed ? 1 : 0;
        released += point.state() == QEventPoint::State::Released ? 1 : 0;
    }
    const std::vector<TouchGesture3D::Finger> onView = fingers(points, false);
    const bool cancelled = event->type() == QEvent::TouchCancel;
    if (event->type() == QEvent::TouchBegin) {
        touchMoved_ = false;
    }
    if (pressed > 0 && !cancelled) {
        gesture_.began(onView, pressed);
        state_.setRotando(gesture_.isRotating());
    }
    if (event->type() == QEvent::TouchUpdate) {
        const std::vector<TouchGesture3D::Finger> moved = fingers(points, true);
        if (!moved.empty()) {
            touchMoved_ = true;
            if (const auto increment = gesture_.moved(onView, moved)) {
                state_.applyIncrement(increment->ax, increment->ay, increment->k, increment->tx,
                                      increment->ty);
            }
            state_.setPreviousScale(gesture_.previousScale());
            state_.setRotando(gesture_.isRotating());
            if (gesture_.isRotating()) {
                restartBoxTimer();
            }
            update();
        }
    }
    if (released > 0 || cancelled || event->type() == QEvent::TouchEnd) {
        boxTimer_.stop();
        state_.setRotando(false);
        const bool evaluate =
            gesture_.ended(cancelled ? std::vector<TouchGesture3D::Finger>{} : onView);
        if (evaluate) {
            evaluateAllFunctions();
        }
        update();
        // Two short taps in a row switch the mode.
        if (event->type() == QEvent::TouchEnd && !touchMoved_ && points.size() == 1) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            if (lastTapTime_ >= 0 &&
                now - lastTapTime_ <= QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
                lastTapTime_ = -1;
                nextMode();
            } else {
                lastTapTime_ = now;
            }
        }
    }
    event->accept();
}

void RVEquation3DView::mousePressEvent(QMouseEvent* event) {
    if (dragButton_ != Qt::NoButton) {
        return;
    }
    dragButton_ = event->button();
    panning_ = event->button() == Qt::MiddleButton ||
               (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    mouseMoved_ = false;
    lastMousePosition_ = event->position();
    if (!panning_ && event->button() == Qt::LeftButton) {
        state_.setRotando(true);
    }
}

void RVEquation3DView::mouseMoveEvent(QMouseEvent* event) {
    if (dragButton_ == Qt::NoButton) {
        return;
    }
    const QPointF delta = event->position() - lastMousePosition_;
    lastMousePosition_ = event->position();
    if (panning_) {
        mouseMoved_ = true;
        drawViewByRotating({0.0f, 0.0f, 1.0f, static_cast<float>(delta.x()) / kPanPointsPerUnit,
                            static_cast<float>(-delta.y()) / kPanPointsPerUnit});
    } else if (dragButton_ == Qt::LeftButton) {
        state_.setRotando(true);
        restartBoxTimer();
        drawViewByRotating({static_cast<float>(delta.x()), static_cast<float>(delta.y())});
    }
}

void RVEquation3DView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != dragButton_) {
        return;
    }
    dragButton_ = Qt::NoButton;
    boxTimer_.stop();
    state_.setRotando(false);
    if (panning_ && mouseMoved_) {
        evaluateAllFunctions();
    }
    panning_ = false;
    update();
}

void RVEquation3DView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        nextMode();
    }
}

void RVEquation3DView::zoomBy(float factor) {
    if (!std::isfinite(factor) || !(factor > 0.0f)) {
        return;
    }
    drawViewByRotating({0.0f, 0.0f, factor});
    zoomTimer_.start();
}

void RVEquation3DView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0.0) {
        zoomBy(static_cast<float>(std::pow(kWheelStep, steps)));
    }
    event->accept();
}

void RVEquation3DView::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const float pan = kKeyPanPoints / kPanPointsPerUnit;
    SceneIncrement3D increment;
    switch (event->key()) {
        case Qt::Key_Left:
            (shift ? increment.tx : increment.ax) = shift ? -pan : -kKeyRotationDegrees;
            break;
        case Qt::Key_Right:
            (shift ? increment.tx : increment.ax) = shift ? pan : kKeyRotationDegrees;
            break;
        case Qt::Key_Up:
            (shift ? increment.ty : increment.ay) = shift ? pan : -kKeyRotationDegrees;
            break;
        case Qt::Key_Down:
            (shift ? increment.ty : increment.ay) = shift ? -pan : kKeyRotationDegrees;
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            drawViewByRotating({0.0f, 0.0f, kWheelStep});
            evaluateAllFunctions();
            return;
        case Qt::Key_Minus:
            drawViewByRotating({0.0f, 0.0f, 1.0f / kWheelStep});
            evaluateAllFunctions();
            return;
        case Qt::Key_M:
            nextMode();
            return;
        default:
            QOpenGLWidget::keyPressEvent(event);
            return;
    }
    drawViewByRotating(increment);
}

}  // namespace plotwise
