#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli library [--3d] [--json]
// Loads the 2D (or 3D) library as the library screen does: the file in the data folder, or the
// built-in examples when it is missing or unreadable.
int runLibrary(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
