#include "app/shell/ExpressionRouting.h"

#include "engine/ExpressionParsing.h"
#include "engine/RVVariable.h"
#include "engine/VariableTable.h"

namespace plotwise {

bool ExpressionRouting::needs3DPlane(const QString& text) {
    VariableTable table{};
    const ParsedExpression parsed = parseExpression(text.toStdU16String(), table.data());
    if (!parsed.tree) {
        return false;
    }
    for (const RVVariable* variable : parsed.tree->variables()) {
        if (variable->letter() == u'z' || variable->letter() == u'Φ') {
            return true;
        }
    }
    return false;
}

ExpressionRouting ExpressionRouting::route(const QStringList& expressions, bool allIn3D) {
    ExpressionRouting routing;
    for (const QString& text : expressions) {
        (allIn3D || needs3DPlane(text) ? routing.expressions3D : routing.expressions2D)
            .append(text);
    }
    return routing;
}

}  // namespace plotwise
