#pragma once

#include "equations/EquationListModel.h"
#include "graph3d/RVEquation3D.h"

namespace plotwise {

// The equations of the 3D plane.
using EquationModel3D = PlaneEquationModel<RVEquation3D>;

}  // namespace plotwise
