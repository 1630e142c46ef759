// plotwise-cli mesh3d --divisions: the steps per axis, and meshes bounded by the memory budget
// rather than by 16-bit indices.
#include <gtest/gtest.h>

#include "CliTable.h"

namespace plotwise::testing {
namespace {

std::string divisionsError(const std::string& given) {
    return "^plotwise-cli: --divisions needs a whole number from 1 to 512, got '" + given +
           R"(' \(see plotwise-cli --help\)\n$)";
}

TEST(CliMesh3D, DivisionsSetTheStepsPerAxis) {
    const std::string gyroid = "sin(2x)cos(2y)+sin(2y)cos(2z)+sin(2z)cos(2x)=0";
    checkRows({
        {"mesh3d --help", 0, R"(\[--divisions N\][\s\S]*from 1 to 512)"},
        // Two steps of 7 across the sphere of radius 2: the octahedron through (±4/7, 0, 0).
        {"mesh3d --divisions 2 x^2+y^2+z^2-4", 0,
         R"(^\{"ok": true, "type": 6, "dataObjectCount": 24, "dataIndexCount": 24, )"
         R"("linesIndexCount": 48, [\s\S]*\[0, -0.5714286, 0, )"},
        {"mesh3d --divisions=2 z=x+y", 0, R"("horizontalSteps": 2, "verticalSteps": 2, )"},
        {"mesh3d --divisions 512 z=1", 0, R"("horizontalSteps": 512, )"},
        // 75428 triangles: far past the phone's 16-bit cap of 10243, yet whole.
        {{"mesh3d", "--divisions", "40", gyroid, "--format", "ply", "-o", "@"},
         0,
         "^$",
         "^$",
         "\nelement face 75428\n"},
        {"mesh3d --divisions 0 z=x", 2, "^$", divisionsError("0")},
        {"mesh3d --divisions 513 z=x", 2, "^$", divisionsError("513")},
        {"mesh3d --divisions 1.5 z=x", 2, "^$", divisionsError("1.5")},
        {"mesh3d --divisions -3 z=x", 2, "^$", divisionsError("-3")},
        {"mesh3d --divisions nan z=x", 2, "^$", divisionsError("nan")},
        {"mesh3d --divisions= z=x", 2, "^$", divisionsError("")},
        {"mesh3d z=x --divisions", 2, "^$", R"(--divisions)"},
    });
}

}  // namespace
}  // namespace plotwise::testing
