#pragma once

#include <iosfwd>

#include "cli/CommandSupport.h"

namespace plotwise::cli {

// plotwise-cli mesh3d EXPR [--scale S] [--tablet] [--accurate] [--format json|obj|stl|ply]
//                          [-o FILE]
// Builds EXPR as a 3D equation and evaluates it once over the 3D view's box at zoom S; prints the
// mesh as JSON or writes it as OBJ, binary STL or ASCII PLY for other programs and 3D printers.
int runMesh3D(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace plotwise::cli
