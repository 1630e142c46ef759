#pragma once

#include <string>
#include <vector>

#include "engine/TextUtilities.h"

namespace plotwise {

// A parser message kept as its English format and arguments, so the application can translate
// the format (context "Parser") before filling it in.
struct ParserMessage {
    std::u16string format;
    std::vector<std::u16string> arguments;

    // The filled English message.
    std::u16string text() const { return formatMessage(format, arguments); }
};

}  // namespace plotwise
