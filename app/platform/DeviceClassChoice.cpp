#include "app/platform/DeviceClassChoice.h"

#include <algorithm>

namespace plotwise {

DeviceClass deviceClassForScreen(int logicalWidth, int logicalHeight) {
    return std::min(logicalWidth, logicalHeight) >= 600 ? DeviceClass::Tablet : DeviceClass::Phone;
}

}  // namespace plotwise
