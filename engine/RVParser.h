#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/ParserMessage.h"
#include "engine/RVOperationTree.h"
#include "engine/RVScanner.h"

namespace plotwise {

// Recursive-descent parser of the expression language. A failed parse returns no tree and leaves
// the message and the UTF-16 index of the error; the error fields are never cleared by a new
// parse.
class RVParser {
public:
    // Deeper nesting (brackets, exponents, arguments) is refused with a message instead of
    // exhausting the stack.
    static constexpr int maximumNesting = 256;

    // Parses the whole source. Variables point into `table` (six slots), which must outlive the
    // tree; statements before a ";" are evaluated during the parse and may write it.
    std::unique_ptr<RVOperationTree> parse(const std::u16string& source, double* table);

    // The filled English message of the last failure.
    std::u16string error() const { return errorMessage_.text(); }
    // The same message as format and arguments, for translation.
    const ParserMessage& errorMessage() const { return errorMessage_; }
    unsigned errorPos() const { return errorPos_; }

private:
    struct ParseException {
        ParserMessage message;
        int position;
    };

    std::unique_ptr<RVOperation> parseRelopAllowAssignment(bool allowAssignment);
    std::unique_ptr<RVOperation> parseAddition();
    std::unique_ptr<RVOperation> parseMultiplication();
    std::unique_ptr<RVOperation> parseSignedPower();
    std::unique_ptr<RVOperation> parsePower();
    std::unique_ptr<RVOperation> parseFactor();
    std::unique_ptr<RVOperation> parseDerivate();
    std::unique_ptr<RVOperation> parseFunction();

    void accept(int tokenType);
    void acceptIt();
    [[noreturn]] void expected(int tokenType);
    [[noreturn]] void unexpected();
    [[noreturn]] void stop(std::u16string format, std::vector<std::u16string> arguments = {});

    RVScanner& scanner();

    RVToken currentToken_;
    RVToken acceptedToken_;
    std::optional<RVScanner> scanner_;
    double* variableTable_ = nullptr;
    ParserMessage errorMessage_;
    unsigned errorPos_ = 0;
    int nesting_ = 0;
};

}  // namespace plotwise
