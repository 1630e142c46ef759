#pragma once

#include "common/DeviceClass.h"

namespace plotwise {

// Tablet layouts need room: at least 600 logical pixels on the screen's shorter side.
DeviceClass deviceClassForScreen(int logicalWidth, int logicalHeight);

}  // namespace plotwise
