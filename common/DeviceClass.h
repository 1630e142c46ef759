#pragma once

namespace plotwise {

// The kind of device the program runs on, chosen once at start by the application and passed to
// whatever sizes itself by it (region buffer capacities, layouts, grid divisions).
enum class DeviceClass {
    Phone,
    Tablet,
};

}  // namespace plotwise
