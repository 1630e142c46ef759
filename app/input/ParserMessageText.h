#pragma once

#include <QString>

#include "engine/ParserMessage.h"

namespace plotwise {

// A parser message in the user's language: the English format translated with the context
// "Parser", then filled in with its arguments.
QString translatedParserMessage(const ParserMessage& message);

}  // namespace plotwise
