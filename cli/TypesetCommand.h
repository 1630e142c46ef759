#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli typeset EXPR -o FILE.png [--depth D] [--color RRGGBB] [--scale F] [--json]
// Parses like the keyboard (derivatives carried out), typesets the formula and writes it as a
// PNG with a transparent background. Creates a QGuiApplication (offscreen unless
// QT_QPA_PLATFORM says otherwise) when none exists yet.
int runTypeset(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
