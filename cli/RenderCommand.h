#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli render EXPR... -o FILE.png [--size WxH] [--center X Y] [--ratio R | --ratio RX RY]
//                    [--dark] [--thick] [--color RRGGBB]... [--json]
// Draws the equations on the 2D plane with the application's own view, offscreen at one image
// pixel per point, and writes the picture as a PNG. Creates a QApplication (offscreen unless
// QT_QPA_PLATFORM says otherwise) when none exists yet.
int runRender(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
