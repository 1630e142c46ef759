#pragma once

#include <QVariantMap>

namespace plotwise {

// What a graph view (2D or 3D) tells the screen that owns it.
class RVEquationViewDelegate {
public:
    virtual ~RVEquationViewDelegate() = default;
    // The view's viewport changed; `state` is its view state dictionary, for the workspace.
    virtual void equationViewDidChangeStateDictionary(const QVariantMap& state) = 0;
};

}  // namespace plotwise
