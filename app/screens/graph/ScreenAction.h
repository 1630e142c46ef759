#pragma once

namespace plotwise {

// What a graph screen's bar can do; each idiom's chrome gives them its own tags and order.
enum class ScreenAction {
    Add,
    Equations,
    Library,
    ResetView,
    SwitchPlane,
    Share,
    Help,
    Info,
    Settings
};

}  // namespace plotwise
