#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli simplify [--steps] [--json] EXPR
// Simplifies fully (carrying out derivatives) and prints the result, or every step.
int runSimplify(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
