#pragma once

#include <QSizeF>

namespace plotwise {

// The layout box of a typeset node, in device-independent pixels.
struct OperationScreenSize {
    // From the top of the box down to its axis: the line neighbours are aligned on and through
    // which fraction bars and operator signs pass.
    qreal baselineOffset = 0.0;
    QSizeF screenSize{0.0, 0.0};

    qreal width() const { return screenSize.width(); }
    qreal height() const { return screenSize.height(); }
};

}  // namespace plotwise
