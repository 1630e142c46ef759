#pragma once

#include <QList>
#include <QSizeF>

#include "graph2d/view/RVEquationViewDelegate.h"

namespace plotwise {

class RVEquation2DView;

// The screen that owns a 2D graph view.
class RVEquation2DViewDelegate : public RVEquationViewDelegate {
public:
    // The 2D views on screen: the asking view first, a mirror on an external display second.
    virtual QList<RVEquation2DView*> arrayWithVisible2DViews() = 0;
    // Heights covered by bars: width at the top of the view, height at the bottom. The axes
    // stay clear of them.
    virtual QSizeF sizeWithTopAndBottomOffsets() { return {0.0, 0.0}; }
};

}  // namespace plotwise
