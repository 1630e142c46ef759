#include "app/input/FormulaPreviewView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

#include "typeset/FormulaLayout.h"

namespace plotwise {

namespace {

constexpr int kInset = 10;
// The raster engine's coordinates stop here; a wider formula is cut, never drawn wrapped.
constexpr int kMaximumWidth = 32000;

}  // namespace

class FormulaPreviewView::Canvas : public QWidget {
public:
    explicit Canvas(QWidget* parent) : QWidget(parent) {}

    std::shared_ptr<FormulaLayout> formula;
    QColor color = Qt::black;

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!formula) {
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(event->rect());
        painter.setPen(color);
        painter.setBrush(color);
        const qreal top = (height() - formula->size().height()) / 2.0;
        formula->drawInContext(painter, QPointF(kInset, top), 0);
    }
};

FormulaPreviewView::FormulaPreviewView(QWidget* parent)
    : QScrollArea(parent), canvas_(new Canvas(this)) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setWidget(canvas_);
    viewport()->setAutoFillBackground(false);
    canvas_->setAutoFillBackground(false);
}

void FormulaPreviewView::setColor(const QColor& color) {
    canvas_->color = color;
    canvas_->update();
}

void FormulaPreviewView::setFormula(std::shared_ptr<FormulaLayout> formula) {
    formula_ = std::move(formula);
    canvas_->formula = formula_;
    if (formula_) {
        formula_->cacheSizeAtDepth(0);
    }
    fitCanvas();
    canvas_->update();
}

void FormulaPreviewView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    fitCanvas();
}

void FormulaPreviewView::fitCanvas() {
    int width = 0;
    int height = viewport()->height();
    if (formula_) {
        width = static_cast<int>(std::ceil(formula_->size().width())) + 2 * kInset;
        height = qMax(height, static_cast<int>(std::ceil(formula_->size().height())));
    }
    canvas_->resize(qMin(width, kMaximumWidth), height);
}

}  // namespace plotwise
