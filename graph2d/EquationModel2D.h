#pragma once

#include "equations/EquationListModel.h"
#include "graph2d/RVEquation2D.h"

namespace plotwise {

// The equations of the 2D plane.
using EquationModel2D = PlaneEquationModel<RVEquation2D>;

}  // namespace plotwise
