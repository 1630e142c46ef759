#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli sample2d EXPR --window MINX MAXX MINY MAXY --ratio RX RY [--tablet] [--json]
// Builds the 2D equation as the application does, evaluates it once over the window and prints
// its samples: points, or region records for an inequality.
int runSample2d(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
