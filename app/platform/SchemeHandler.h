#pragma once

#include <QString>
#include <optional>

namespace plotwise {

// Whether the desktop names a default program for addresses of `scheme` ("mailto",
// "appstream"), asked of xdg-mime (xdg-utils) for at most two seconds. Nothing when xdg-mime
// cannot answer (missing, hanging or failing), so each caller chooses what an unknown means.
std::optional<bool> hasDefaultSchemeHandler(const QString& scheme);

}  // namespace plotwise
