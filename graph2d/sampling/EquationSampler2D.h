#pragma once

#include <optional>

#include "common/DeviceClass.h"
#include "engine/EquationType.h"
#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/SampleBuffer2D.h"

namespace plotwise {

// One evaluation of a 2D equation of type `type` over `limits`, as the equation caches it: the
// region builder for inequalities (with the device's record capacity), the contour builder for
// implicit equations, the explicit and polar samplers otherwise (types 2 and 5 give nothing).
// The work buffer is allocated at its full capacity, filled in place and copied out at the
// exact length; nothing when it cannot be allocated, so that the caller keeps what it had.
class EquationSampler2D {
public:
    static std::optional<SampleBuffer2D> sample(EquationType type, const EvaluationLimits2D& limits,
                                                const EvaluationData2D& data, DeviceClass device);
};

}  // namespace plotwise
