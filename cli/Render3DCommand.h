#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli render3d EXPR... -o FILE.png [--size WxH] [--mode points|wire|shaded]
//     [--rotation AX AY] [--scale S] [--light] [--labels] [--tablet] [--accurate]
//     [--color RRGGBB]... [--json]
// Draws the equations in the 3D scene with the application's renderer into an offscreen
// framebuffer, as the phone's (or tablet's) screen of that size shows them, and writes a PNG.
// Needs OpenGL: Qt's offscreen platform reaches it through GLX on $DISPLAY (xvfb-run).
int runRender3D(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
