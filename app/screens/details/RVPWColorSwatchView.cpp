#include "app/screens/details/RVPWColorSwatchView.h"

#include <QKeyEvent>
#include <algorithm>
#include <cmath>

#include "app/widgets/RVColorPickerSwatchView.h"
#include "equations/ColorText.h"

namespace plotwise {

namespace {

// Through the colour text, so a palette colour is exactly what a file stores for it (0.7 is
// B3; QColor's own 16-bit channels would give B2).
QColor storedColor(double red, double green, double blue) {
    const auto byte = [](double component) {
        return static_cast<quint32>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0));
    };
    return colorWithRGBHex(byte(red) << 16 | byte(green) << 8 | byte(blue));
}

// Hue in whole sixths of the circle: each channel is v, v(1 - s) or between them.
QColor sextantColor(int k, double saturation, double value) {
    const double low = value * (1.0 - saturation);
    static constexpr int channels[6][3] = {{2, 0, 0}, {2, 2, 0}, {0, 2, 0},
                                           {0, 2, 2}, {0, 0, 2}, {2, 0, 2}};
    const auto level = [&](int which) { return which == 2 ? value : low; };
    return storedColor(level(channels[k][0]), level(channels[k][1]), level(channels[k][2]));
}

}  // namespace

std::vector<QColor> RVPWColorSwatchView::paletteColors() {
    std::vector<QColor> colors;
    for (const auto& [saturation, value] : {std::pair{0.3, 1.0}, {1.0, 1.0}, {1.0, 0.5}}) {
        for (int k = 0; k < 6; ++k) {
            colors.push_back(sextantColor(k, saturation, value));
        }
    }
    for (const double level : {0.0, 0.25, 0.5, 0.75, 1.0}) {
        colors.push_back(storedColor(level, level, level));
    }
    colors.push_back(storedColor(1.0, 0.5, 0.0));
    return colors;
}

RVPWColorSwatchView::RVPWColorSwatchView(QWidget* parent) : QWidget(parent) {
    for (const QColor& color : paletteColors()) {
        auto* swatch = new RVColorPickerSwatchView(color, this);
        swatch->installEventFilter(this);
        const int index = static_cast<int>(swatches_.size());
        connect(swatch, &QAbstractButton::clicked, this, [this, index] {
            select(index);
            selectedColor_ = swatches_[static_cast<std::size_t>(index)]->color();
            emit colorSwatchViewDidChangeColor(selectedColor_);
        });
        swatches_.push_back(swatch);
    }
}

void RVPWColorSwatchView::select(int index) {
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        swatches_[i]->setChecked(static_cast<int>(i) == index);
    }
}

int RVPWColorSwatchView::selectedIndex() const {
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        if (swatches_[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void RVPWColorSwatchView::setSelectedColor(const QColor& color) {
    selectedColor_ = color;
    const QString text = hexStringFromColor(color);
    const std::vector<QColor> palette = paletteColors();
    for (std::size_t i = 0; i + 1 < palette.size(); ++i) {
        if (hexStringFromColor(palette[i]) == text) {
            swatches_.back()->setColor(palette.back());
            select(static_cast<int>(i));
            return;
        }
    }
    // The last swatch is the slot for a colour outside the palette.
    swatches_.back()->setColor(color);
    select(static_cast<int>(swatches_.size()) - 1);
}

void RVPWColorSwatchView::resizeEvent(QResizeEvent*) {
    const int rows = (static_cast<int>(swatches_.size()) + columns - 1) / columns;
    // Square cells, as large as the view allows.
    const double cellWidth =
        std::min(width() / static_cast<double>(columns), height() / static_cast<double>(rows));
    const double cellHeight = cellWidth;
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        const int column = static_cast<int>(i) % columns;
        const int row = static_cast<int>(i) / columns;
        swatches_[i]->setGeometry(
            QRectF(column * cellWidth, row * cellHeight, cellWidth, cellHeight)
                .adjusted(3, 3, -3, -3)
                .toRect());
    }
}

bool RVPWColorSwatchView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto found = std::find(swatches_.begin(), swatches_.end(), watched);
    if (found == swatches_.end()) {
        return false;
    }
    const int index = static_cast<int>(found - swatches_.begin());
    int next = index;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
            next = index - 1;
            break;
        case Qt::Key_Right:
            next = index + 1;
            break;
        case Qt::Key_Up:
            next = index - columns;
            break;
        case Qt::Key_Down:
            next = index + columns;
            break;
        default:
            return false;
    }
    if (next >= 0 && next < static_cast<int>(swatches_.size())) {
        swatches_[static_cast<std::size_t>(next)]->setFocus(Qt::TabFocusReason);
    }
    return true;
}

}  // namespace plotwise
