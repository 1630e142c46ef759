#pragma once

#include <string>
#include <string_view>

namespace plotwise::cli {

// plotwise-cli --help: every command's synopsis and description.
std::string programUsage();

// plotwise-cli NAME --help: that command's part of it.
std::string commandUsage(std::string_view name);

}  // namespace plotwise::cli
