#pragma once

namespace plotwise {

// The device family chosen once at start; it selects layouts, grid divisions and buffer
// capacities. A device that cannot tell counts as a phone.
enum class DeviceClass {
    Phone,
    Tablet,
};

}  // namespace plotwise
