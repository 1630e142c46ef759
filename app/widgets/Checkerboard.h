#pragma once

#include <QBrush>

namespace plotwise {

// Grey and white squares, painted under translucent colours so their opacity shows.
const QBrush& checkerboardBrush();

}  // namespace plotwise
