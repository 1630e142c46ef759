#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

#include <memory>
#include <string>

#include "FormulaLayout.h"
#include "RVOperationTree.h"
#include "RVParser.h"
#include "VariableTable.h"

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

// Whether any pixel of the image has some coverage.
inline bool hasInk(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) > 0) {
                return true;
            }
        }
    }
    return false;
}

// The worked examples and the built-in example equations of the libraries.
inline const char* const kExamples[] = {
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
    "y=x^2",
    "y=d/dx(sin(x)-cos(x))^2",
    "x=e^(y-2)",
    "r=4*cos(Θ)",
    "r=1-2*sin(Θ)",
    "r=2*cos(4Θ)",
    "r=sin(Θ)-1",
    "r=sin(2^Θ)-1.7",
    "x^2 + x*y + y^2 - 2^2",
    "sin(x) - cos(y)^2",
    "r^2=2^2*sin(2Θ)",
    "r^2=sin(3Θ)^2+cos(0.8-r)",
    "y<sin(5r)",
    "z=y^2/16-x^2/25",
    "z=abs(cos(x)*sin(y))",
    "x=d/dz(e^(-4(z^2+y^2)))",
    "r=2sin(4Θ+cos(4Φ))",
    "r=2sin(5Φ)",
    "Φ=3-sin(3Θ+r)",
    "Θ=sin(Φ+r)/2",
    "r=Θ-sin(z)",
    "z=100*sin(7r)/(1+r)^2",
    "Θ=r+cos(1/z)",
    "(x^4+y^4+z^4)/10=50",
    "r^2/5=10*cos(4Θ)",
    "(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0",
    "320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)=0",
};

}  // namespace plotwise::test
