#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "app/examples/BuiltInExamples.h"
#include "engine/RVOperationTree.h"
#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "typeset/FormulaLayout.h"

namespace plotwise::test {

// The standard font size of the examples: 14 gives an 18-pixel formula font at depth 0.
inline constexpr qreal kStandardSize = 14.0;

// A parsed expression and its variable table, kept together so the table outlives the tree.
struct Parsed {
    std::unique_ptr<VariableTable> table = std::make_unique<VariableTable>();
    std::unique_ptr<RVOperationTree> tree;
};

inline Parsed parse(const char* text) {
    Parsed parsed;
    parsed.table->fill(0.0);
    RVParser parser;
    parsed.tree = parser.parse(QString::fromUtf8(text).toStdU16String(), parsed.table->data());
    return parsed;
}

// The layout of a parsed text at a depth, with the example standard size.
inline std::unique_ptr<FormulaLayout> layoutOf(const RVOperation* operation, unsigned depth = 0) {
    auto layout = std::make_unique<FormulaLayout>(operation, kStandardSize);
    layout->cacheSizeAtDepth(depth);
    return layout;
}

inline QRectF boxOf(const FormulaNode::Child& child) {
    return QRectF(child.origin, child.node->size().screenSize);
}

// The worked examples, then the built-in example equations of both libraries.
inline std::vector<const char*> examples() {
    std::vector<const char*> texts{
        "x^2",
        "√x",
        "(x+1)/y",
        "1/x",
        "3√(x+1)",
        "(1/(1/(1/(1/(1/x)))))",
        "max(1, x/y)",
        "d/dx(x^2⋅sin(x))",
        "-x^2+2x-1",
        "e^(-x^2/2)",
        "√(1/(1/(1/x)))",
        "x^y^2^r",
    };
    for (const BuiltInExample& example : kBuiltInExamples2D) {
        texts.push_back(example.source);
    }
    for (const BuiltInExample& example : kBuiltInExamples3D) {
        texts.push_back(example.source);
    }
    return texts;
}

}  // namespace plotwise::test
