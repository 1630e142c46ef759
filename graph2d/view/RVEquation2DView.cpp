#include "graph2d/view/RVEquation2DView.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QScreen>
#include <QTouchEvent>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "graph2d/RVEquation2D.h"
#include "graph2d/view/RVEquation2DViewDelegate.h"
#include "graph2d/view/RVPWTraceView.h"
#include "typeset/FontResolver.h"

namespace plotwise {

namespace {

const QString scrollXKey = QStringLiteral("scrollX");
const QString scrollYKey = QStringLiteral("scrollY");
const QString pixelUnitRatioKey = QStringLiteral("pixelUnitRatio");
const QString pixelUnitRatioXKey = QStringLiteral("pixelUnitRatioX");
const QString pixelUnitRatioYKey = QStringLiteral("pixelUnitRatioY");
const QString tracingKey = QStringLiteral("tracing");
const QString tracingXKey = QStringLiteral("tracingX");
const QString tracingYKey = QStringLiteral("tracingY");
const QString movedOrZoomedKey = QStringLiteral("movedOrZoomed");

// Far more lines than any screen can show apart; stops the grid loops when a step no longer
// moves a huge coordinate.
constexpr int maximumGridLines = 4000;

QColor grey(double g) {
    return QColor::fromRgbF(static_cast<float>(g), static_cast<float>(g), static_cast<float>(g));
}

double clampRatio(double ratio) {
    return std::clamp(ratio, RVEquation2DView::minimumPixelUnitRatio,
                      RVEquation2DView::maximumPixelUnitRatio);
}

// A stored ratio is usable when it is a finite number above zero.
bool usableRatio(double ratio) {
    return std::isfinite(ratio) && ratio > 0.0;
}

bool isFinite(const SamplePoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

RVEquation2DView::RVEquation2DView(QWidget* parent)
    : QWidget(parent), traceView_(new RVPWTraceView(this)) {
    traceView_->hide();
    traceTimer_.setSingleShot(true);
    traceTimer_.setInterval(300);
    connect(&traceTimer_, &QTimer::timeout, this, &RVEquation2DView::startTrace);
    tickFont_ = FontResolver::font(FontResolver::Face::System, 12.0);
    setUseDarkBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AcceptTouchEvents);
    // Arrow keys and +/- move and zoom once the plane has focus (a click gives it).
    setFocusPolicy(Qt::StrongFocus);
    wheelSettleTimer_.setSingleShot(true);
    wheelSettleTimer_.setInterval(150);
    connect(&wheelSettleTimer_, &QTimer::timeout, this, &RVEquation2DView::resampleAfterMove);
}

RVEquation2DView::~RVEquation2DView() = default;

void RVEquation2DView::setModel(EquationModel2D* model) {
    for (QMetaObject::Connection& connection : modelConnections_) {
        disconnect(connection);
    }
    model_ = model;
    if (model != nullptr) {
        const auto repaint = [this] { update(); };
        modelConnections_[0] = connect(model, &QAbstractItemModel::rowsInserted, this,
                                       [this](const QModelIndex&, int first, int last) {
                                           evaluateRows(first, last);
                                           update();
                                       });
        modelConnections_[1] = connect(model, &QAbstractItemModel::rowsRemoved, this, repaint);
        modelConnections_[2] = connect(model, &QAbstractItemModel::rowsMoved, this, repaint);
        modelConnections_[3] = connect(model, &QAbstractItemModel::modelReset, this, repaint);
        modelConnections_[4] = connect(model, &QAbstractItemModel::layoutChanged, this, repaint);
        modelConnections_[5] = connect(
            model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                // Shown again: its samples were dropped when it was hidden.
                if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) {
                    evaluateRows(first.row(), last.row());
                }
                update();
            });
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
    lockAxisZoom_ = lock;
    majorTickWidthX_ = -1.0;
    majorTickWidthY_ = -1.0;
    update();
}

void RVEquation2DView::setUseDarkBackground(bool dark) {
    useDarkBackground_ = dark;
    gridColor_ = grey(dark ? 0.15 : 0.95);
    darkerGridColor_ = grey(dark ? 0.25 : 0.85);
    axisColor_ = dark ? Qt::white : Qt::black;
    labelColor_ = axisColor_;
    backgroundColor_ = dark ? Qt::black : Qt::white;
    update();
}

void RVEquation2DView::setUseThickLines(bool thick) {
    equationLineWidth_ = thick ? 2.0f : 1.0f;
    update();
}

ViewState RVEquation2DView::viewstate() const {
    // A hidden widget gets its resize event only when shown: the half sizes come from the
    // current size, so mapping and limits are right before that.
    ViewState state = viewstate_;
    state.screenHalfWidth = static_cast<float>(width()) / 2.0f;
    state.screenHalfHeight = static_cast<float>(height()) / 2.0f;
    return state;
}

QPointF RVEquation2DView::viewPointForPlanePoint(double x, double y) const {
    const ViewState v = viewstate();
    return {(x - v.scrollX) * v.pixelUnitRatioX + v.screenHalfWidth,
            v.screenHalfHeight - (y + v.scrollY) * v.pixelUnitRatioY};
}

QPointF RVEquation2DView::planePointForViewPoint(QPointF point) const {
    const ViewState v = viewstate();
    return {v.scrollX + (point.x() - v.screenHalfWidth) / v.pixelUnitRatioX,
            (v.screenHalfHeight - point.y()) / v.pixelUnitRatioY - v.scrollY};
}

EvaluationLimits2D RVEquation2DView::evaluationLimits() const {
    const ViewState v = viewstate();
    const double minx = v.scrollX - v.screenHalfWidth / v.pixelUnitRatioX;
    const double maxx = v.scrollX + v.screenHalfWidth / v.pixelUnitRatioX;
    const double miny = -v.screenHalfHeight / v.pixelUnitRatioY - v.scrollY;
    const double maxy = v.screenHalfHeight / v.pixelUnitRatioY - v.scrollY;
    return EvaluationLimits2D::withWindow(minx, maxx, miny, maxy, v.pixelUnitRatioX,
                                          v.pixelUnitRatioY);
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
    majorTickWidthX_ = -1.0;
    majorTickWidthY_ = -1.0;
    viewstate_.scrollX = 0.0;
    viewstate_.scrollY = 0.0;
    viewstate_.pixelUnitRatioX = defaultPixelUnitRatio;
    viewstate_.pixelUnitRatioY = defaultPixelUnitRatio;
    evaluateAllFunctions();
    update();
    sendState();
}

void RVEquation2DView::zoomAbout(QPointF anchor, double factorX, double factorY) {
    const QPointF fixed = planePointForViewPoint(anchor);
    const ViewState v = viewstate();
    viewstate_.pixelUnitRatioX = clampRatio(viewstate_.pixelUnitRatioX * factorX);
    viewstate_.pixelUnitRatioY = clampRatio(viewstate_.pixelUnitRatioY * factorY);
    // Solve the mapping for the scroll that puts `fixed` back under the anchor.
    viewstate_.scrollX = fixed.x() - (anchor.x() - v.screenHalfWidth) / viewstate_.pixelUnitRatioX;
    viewstate_.scrollY = (v.screenHalfHeight - anchor.y()) / viewstate_.pixelUnitRatioY - fixed.y();
    majorTickWidthX_ = -1.0;
    majorTickWidthY_ = -1.0;
    movedOrZoomed_ = true;
    update();
}

void RVEquation2DView::panBy(QPointF distance) {
    viewstate_.scrollX -= distance.x() / viewstate_.pixelUnitRatioX;
    viewstate_.scrollY -= distance.y() / viewstate_.pixelUnitRatioY;
    movedOrZoomed_ = true;
    update();
}

void RVEquation2DView::resampleAfterMove() {
    wheelSettleTimer_.stop();
    if (movedOrZoomed_) {
        evaluateAllFunctions();
        movedOrZoomed_ = false;
        update();
    }
    sendState();
}

QVariantMap RVEquation2DView::dictionaryWithViewState() const {
    QVariantMap state;
    state.insert(scrollXKey, viewstate_.scrollX);
    state.insert(scrollYKey, viewstate_.scrollY);
    state.insert(pixelUnitRatioXKey, viewstate_.pixelUnitRatioX);
    state.insert(pixelUnitRatioYKey, viewstate_.pixelUnitRatioY);
    state.insert(tracingKey, traceView_->isHidden());
    state.insert(tracingXKey, tracingValueX_);
    state.insert(tracingYKey, tracingValueY_);
    state.insert(movedOrZoomedKey, movedOrZoomed_);
    return state;
}

void RVEquation2DView::setViewstateWithDictionary(const QVariantMap& state) {
    if (state.isEmpty()) {
        return;
    }
    const auto number = [&state](const QString& key) {
        bool ok = false;
        const double value = state.value(key).toDouble(&ok);
        return ok && std::isfinite(value) ? value : 0.0;
    };
    viewstate_.scrollX = number(scrollXKey);
    viewstate_.scrollY = number(scrollYKey);
    // Zero, negative or unreadable ratios are ignored; others are kept within the zoom bounds.
    const double both = number(pixelUnitRatioKey);
    if (usableRatio(both)) {
        viewstate_.pixelUnitRatioX = clampRatio(both);
        viewstate_.pixelUnitRatioY = clampRatio(both);
        majorTickWidthX_ = -1.0;
        majorTickWidthY_ = -1.0;
    }
    const double ratioX = number(pixelUnitRatioXKey);
    if (usableRatio(ratioX) && clampRatio(ratioX) != viewstate_.pixelUnitRatioX) {
        viewstate_.pixelUnitRatioX = clampRatio(ratioX);
        majorTickWidthX_ = -1.0;
    }
    const double ratioY = number(pixelUnitRatioYKey);
    if (usableRatio(ratioY) && clampRatio(ratioY) != viewstate_.pixelUnitRatioY) {
        viewstate_.pixelUnitRatioY = clampRatio(ratioY);
        majorTickWidthY_ = -1.0;
    }
    tracingValueX_ = number(tracingXKey);
    tracingValueY_ = number(tracingYKey);
    evaluateAllFunctions();
    if (state.contains(tracingKey) && !state.value(tracingKey).toBool()) {
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
        if (!equation->visible() || !equation->expression()) {
            continue;
        }
        double* table = equation->evaluationData().variableTable;
        if (!table) {
            continue;
        }
        if (equation->type() == EquationType::ExplicitY) {
            table[kSlotX] = x;
            const double v = equation->expression()->value();
            equation->setTrace({static_cast<float>(x), static_cast<float>(v)});
            traceView_->setHorizontalTracePos(viewPointForPlanePoint(x, 0.0).x());
        } else if (equation->type() == EquationType::ExplicitX) {
            table[kSlotY] = y;
            const double v = equation->expression()->value();
            equation->setTrace({static_cast<float>(v), static_cast<float>(y)});
            traceView_->setVertivalTracePos(viewPointForPlanePoint(0.0, y).y());
        }
    }
    traceView_->update();
    sendState();
}

double RVEquation2DView::majorTickWidthForSpan(double span) {
    const double l = std::log10(span);
    const double k = std::floor(l);
    const double f = l - k;
    const double power = std::pow(10.0, k);
    if (f < 0.3010299956639812) {
        return 0.2 * power;
    }
    if (f < 0.6989700043360189) {
        return 0.5 * power;
    }
    return power;
}

void RVEquation2DView::chooseMajorTickWidths(double spanX, double spanY) {
    if (majorTickWidthX_ >= 0.0 && majorTickWidthY_ >= 0.0) {
        return;
    }
    if (lockAxisZoom_ && viewstate_.pixelUnitRatioX == viewstate_.pixelUnitRatioY) {
        majorTickWidthX_ = majorTickWidthForSpan(std::max(spanX, spanY));
        majorTickWidthY_ = majorTickWidthX_;
    } else {
        majorTickWidthX_ = majorTickWidthForSpan(spanX);
        majorTickWidthY_ = majorTickWidthForSpan(spanY);
    }
}

QSizeF RVEquation2DView::topAndBottomOffsets() const {
    return delegate_ ? delegate_->sizeWithTopAndBottomOffsets() : QSizeF(0.0, 0.0);
}

void RVEquation2DView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawPlane(painter, QSizeF(size()));
}

void RVEquation2DView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    traceView_->setGeometry(rect());
    // Sampled here, not in paintEvent, so that painting never waits for the equations.
    evaluateAllFunctions();
    sendState();
}

void RVEquation2DView::drawPlane(QPainter& painter, QSizeF size) {
    const double w = size.width();
    const double h = size.height();
    const bool fineGrid = painter.device()->devicePixelRatioF() > 1.0;
    painter.fillRect(QRectF(QPointF(0, 0), size), backgroundColor_);

    const EvaluationLimits2D limits = evaluationLimits();
    const QSizeF offsets = topAndBottomOffsets();
    const double top = offsets.width();
    const double bottom = offsets.height();
    const QPointF origin = viewPointForPlanePoint(0.0, 0.0);
    // Clamped half a point inside the edges, clear of the bars, so the axes stay in sight.
    const double ax = std::clamp(origin.x(), 0.5, std::max(0.5, w - 0.5));
    const double ay = std::clamp(origin.y(), top + 0.5, std::max(top + 0.5, h - bottom - 0.5));
    const double spanX = limits.maxx - limits.minx;
    const double spanY = limits.maxy - limits.miny;
    chooseMajorTickWidths(spanX, spanY);

    QPainterPath majorPath;
    QPainterPath minorPath;
    QPainterPath axisPath;
    std::vector<double> labelsX;
    std::vector<double> labelsY;
    const double sx = majorTickWidthX_;
    const double sy = majorTickWidthY_;
    if (sx > 0.0 && std::isfinite(sx)) {
        const double first = std::ceil(limits.minx / sx);
        for (int i = 0; i < maximumGridLines; ++i) {
            const double x = sx * (first + i);
            if (x >= limits.maxx + 1e-5 * spanX) {
                break;
            }
            if (std::abs(x / sx) < 0.5) {
                continue;
            }
            const double vx = viewPointForPlanePoint(x, 0.0).x();
            majorPath.moveTo(vx, 0.0);
            majorPath.lineTo(vx, h);
            axisPath.moveTo(vx, ay - 4.0);
            axisPath.lineTo(vx, ay + 4.0);
            labelsX.push_back(x);
        }
        const double minor = sx / 5.0;
        const double firstMinor = std::ceil(limits.minx / minor);
        for (int i = 0; !movedOrZoomed_ && i < maximumGridLines; ++i) {
            const double x = minor * (firstMinor + i);
            if (x >= limits.maxx) {
                break;
            }
            if (std::abs(x / minor) < 0.5) {
                continue;
            }
            const double vx = viewPointForPlanePoint(x, 0.0).x();
            minorPath.moveTo(vx, 0.0);
            minorPath.lineTo(vx, h);
            axisPath.moveTo(vx, ay - 2.0);
            axisPath.lineTo(vx, ay + 2.0);
        }
    }
    if (sy > 0.0 && std::isfinite(sy)) {
        const double first = std::ceil(limits.miny / sy);
        for (int i = 0; i < maximumGridLines; ++i) {
            const double y = sy * (first + i);
            if (y >= limits.maxy + 1e-5 * spanY) {
                break;
            }
            if (std::abs(y / sy) < 0.5) {
                continue;
            }
            const double vy = viewPointForPlanePoint(0.0, y).y();
            majorPath.moveTo(0.0, vy);
            majorPath.lineTo(w, vy);
            axisPath.moveTo(ax - 4.0, vy);
            axisPath.lineTo(ax + 4.0, vy);
            labelsY.push_back(y);
        }
        const double minor = sy / 5.0;
        const double firstMinor = std::ceil(limits.miny / minor);
        for (int i = 0; !movedOrZoomed_ && i < maximumGridLines; ++i) {
            const double y = minor * (firstMinor + i);
            if (y >= limits.maxy) {
                break;
            }
            if (std::abs(y / minor) < 0.5) {
                continue;
            }
            const double vy = viewPointForPlanePoint(0.0, y).y();
            minorPath.moveTo(0.0, vy);
            minorPath.lineTo(w, vy);
            axisPath.moveTo(ax - 2.0, vy);
            axisPath.lineTo(ax + 2.0, vy);
        }
    }
    axisPath.moveTo(0.0, ay);
    axisPath.lineTo(w, ay);
    axisPath.moveTo(ax, 0.0);
    axisPath.lineTo(ax, h);

    painter.setRenderHint(QPainter::Antialiasing, fineGrid);
    painter.setBrush(Qt::NoBrush);
    // The tick marks live in the axis path, so the minor grid must go under it.
    painter.setPen(QPen(gridColor_, 1.0));
    painter.drawPath(minorPath);
    painter.setPen(QPen(darkerGridColor_, 1.0));
    painter.drawPath(majorPath);
    painter.setPen(QPen(axisColor_, 1.0));
    painter.drawPath(axisPath);

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(axisColor_);
    const double r = w;
    painter.drawPolygon(QPolygonF{QPointF(r, ay), QPointF(r - 8, ay + 4), QPointF(r - 5, ay),
                                  QPointF(r - 8, ay - 4)});
    const double t = top + 0.5;
    painter.drawPolygon(QPolygonF{QPointF(ax, t), QPointF(ax + 4, t + 8), QPointF(ax, t + 5),
                                  QPointF(ax - 4, t + 8)});

    // While the screen restores its workspace it switches the view off and fills the list.
    if (!isEnabled()) {
        return;
    }

    const std::vector<RVEquation2D*> drawn = equations();
    const auto map = [this](const SamplePoint& p) { return viewPointForPlanePoint(p.x, p.y); };
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const RVEquation2D* equation : drawn) {
        const SampleBuffer2D* data = equation->data();
        if (equation->type() != EquationType::Inequality || !equation->visible() || !data) {
            continue;
        }
        // Each record is a convex piece of one grid cell and the pieces only meet at edges, so
        // they are filled one by one on the convex fast path: one merged path costs the
        // rasterizer a hundred times more on a large plane.
        painter.setPen(Qt::NoPen);
        painter.setBrush(equation->color());
        std::array<QPointF, 4> corners;
        for (const RegionRecord& record : data->records()) {
            const int n = std::min(record.vertexCount, 4);
            if (n < 3) {
                continue;
            }
            for (int i = 0; i < n; ++i) {
                corners[static_cast<std::size_t>(i)] =
                    map(record.points[static_cast<std::size_t>(i)]);
            }
            painter.drawConvexPolygon(corners.data(), n);
        }
    }

    painter.setRenderHint(QPainter::Antialiasing, !movedOrZoomed_);
    painter.setBrush(Qt::NoBrush);
    const QRectF viewRect(QPointF(0, 0), size);
    for (const RVEquation2D* equation : drawn) {
        const SampleBuffer2D* data = equation->data();
        const EquationType type = equation->type();
        if (type == EquationType::Inequality || !equation->visible() || !data) {
            continue;
        }
        const std::vector<SamplePoint>& points = data->points();
        const std::size_t count =
            std::min<std::size_t>(data->dataObjectCount(), points.empty() ? 0 : points.size() - 1);
        const std::size_t step = type == EquationType::Implicit ? 2 : 1;
        const bool polar = type == EquationType::ExplicitR || type == EquationType::ExplicitTheta;
        QPainterPath curvePath;
        for (std::size_t i = 0; i < count; i += step) {
            const SamplePoint& a = points[i];
            const SamplePoint& b = points[i + 1];
            if (!isFinite(a) || !isFinite(b)) {
                continue;
            }
            const QPointF pa = map(a);
            const QPointF pb = map(b);
            if (polar && !viewRect.contains(pa) && !viewRect.contains(pb)) {
                continue;
            }
            if ((type == EquationType::ExplicitY || type == EquationType::ExplicitX) &&
                jumpsAcrossPole(pa, pb, type, size)) {
                continue;
            }
            curvePath.moveTo(pa);
            curvePath.lineTo(pb);
        }
        painter.setPen(QPen(equation->color(), equationLineWidth_, Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
        painter.drawPath(curvePath);
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(labelColor_);
    painter.setFont(tickFont_);
    const QFontMetricsF metrics(tickFont_);
    for (const double x : labelsX) {
        const QString text = QString::number(x, 'g', 6);
        const double textWidth = metrics.horizontalAdvance(text);
        const double top = std::min(ay + 4.0, h - bottom + 0.5 - 18.0);
        painter.drawText(
            QPointF(viewPointForPlanePoint(x, 0.0).x() - textWidth / 2.0, top + metrics.ascent()),
            text);
    }
    for (const double y : labelsY) {
        const QString text = QString::number(y, 'g', 6);
        const double textWidth = metrics.horizontalAdvance(text);
        const double left = std::min(ax + 8.0, w - textWidth - 8.0);
        painter.drawText(QPointF(left, viewPointForPlanePoint(0.0, y).y() - metrics.height() / 2.0 +
                                           metrics.ascent()),
                         text);
    }
}

void RVEquation2DView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The right button traces at once, without the hold.
        movedOrZoomed_ = false;
        panning_ = false;
        tapLocation_ = event->position();
        startTrace();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    movedOrZoomed_ = false;
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

bool RVEquation2DView::jumpsAcrossPole(QPointF a, QPointF b, EquationType type, QSizeF size) {
    // At a pole (tan x at π/2, 1/x at 0) the sampler refines to its finest step and the last
    // step leaps from beyond one edge to beyond the opposite one. Drawn, that leap is a vertical
    // line where the function has no value. A continuous curve that steep would only give a
    // line narrower than a point, so nothing real is lost.
    const bool acrossHeight = type == EquationType::ExplicitY;
    const double along = acrossHeight ? std::fabs(b.x() - a.x()) : std::fabs(b.y() - a.y());
    if (along >= 1.0) {
        return false;
    }
    const double from = acrossHeight ? a.y() : a.x();
    const double to = acrossHeight ? b.y() : b.x();
    const double extent = acrossHeight ? size.height() : size.width();
    return (from < 0.0 && to > extent) || (from > extent && to < 0.0);
}

void RVEquation2DView::touchesBegan(const QList<QEventPoint>& points) {
    movedOrZoomed_ = false;
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
    if (lockAxisZoom_) {
        previousDistanceX_ = std::hypot(delta.x(), delta.y());
        previousDistanceY_ = previousDistanceX_;
    } else {
        // Floored as in a move, so the first step never divides by zero.
        previousDistanceX_ = std::max(std::abs(delta.x()), 1.0);
        previousDistanceY_ = std::max(std::abs(delta.y()), 1.0);
    }
}

void RVEquation2DView::touchesMoved(const QList<QEventPoint>& points) {
    traceTimer_.stop();
    if (pinchZoom_ && points.size() == 2) {
        traceView_->hide();
        const QPointF delta = points.at(0).position() - points.at(1).position();
        double ratioX = viewstate_.pixelUnitRatioX;
        double ratioY = viewstate_.pixelUnitRatioY;
        if (lockAxisZoom_) {
            const double d = std::hypot(delta.x(), delta.y());
            if (d > 0.0 && previousDistanceX_ > 0.0 && previousDistanceY_ > 0.0) {
                ratioX *= d / previousDistanceX_;
                ratioY *= d / previousDistanceY_;
            }
            previousDistanceX_ = d;
            previousDistanceY_ = d;
        } else {
            // An axis zooms only when the fingers are well apart along it, so a pinch along
            // one axis leaves the other alone.
            const double dx = std::abs(delta.x()) <= 1.0 ? 1.0 : std::abs(delta.x());
            const double dy = std::abs(delta.y()) <= 1.0 ? 1.0 : std::abs(delta.y());
            if (dx > 24.0) {
                ratioX *= dx / previousDistanceX_;
            }
            if (dy > 24.0) {
                ratioY *= dy / previousDistanceY_;
            }
            previousDistanceX_ = dx;
            previousDistanceY_ = dy;
        }
        viewstate_.pixelUnitRatioX = clampRatio(ratioX);
        viewstate_.pixelUnitRatioY = clampRatio(ratioY);
        majorTickWidthX_ = -1.0;
        majorTickWidthY_ = -1.0;
        movedOrZoomed_ = true;
    } else if (!panning_ && tracing_ && points.size() == 1) {
        tapLocation_ = points.first().position();
        const QPointF p = planePointForViewPoint(tapLocation_);
        traceExplicitEquationsAt(p.x(), p.y());
        movedOrZoomed_ = false;
    } else if (panning_) {
        traceView_->hide();
        const QPointF position = points.first().position();
        viewstate_.scrollX += (tapLocation_.x() - position.x()) / viewstate_.pixelUnitRatioX;
        viewstate_.scrollY += (tapLocation_.y() - position.y()) / viewstate_.pixelUnitRatioY;
        tapLocation_ = position;
        movedOrZoomed_ = true;
    }
    if (movedOrZoomed_) {
        update();
    }
}

void RVEquation2DView::touchesDone() {
    traceTimer_.stop();
    tracing_ = false;
    panning_ = false;
    pinchZoom_ = false;
    previousDistanceX_ = 0.0;
    previousDistanceY_ = 0.0;
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
