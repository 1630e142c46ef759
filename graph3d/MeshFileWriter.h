#pragma once

#include <iosfwd>
#include <string>

#include "graph3d/PrintableMesh.h"

namespace plotwise {

// Writes a printable mesh as Wavefront OBJ, binary STL or ASCII PLY. Numbers are the shortest
// decimal text that reads back to the same float, whatever the locale; STL is little-endian on
// every host.
class MeshFileWriter {
public:
    static void writeObj(const PrintableMesh& mesh, std::ostream& out);
    static void writeStl(const PrintableMesh& mesh, std::ostream& out);
    static void writePly(const PrintableMesh& mesh, std::ostream& out);

    static std::string number(float value);
};

}  // namespace plotwise
