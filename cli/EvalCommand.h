#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli eval [--set VAR=NUMBER]... [--json] EXPR
// Evaluates like the keyboard's live preview: every variable 0 unless set.
int runEval(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
