#pragma once

#include "engine/OperationNode.h"
#include "engine/RVOperationTree.h"

namespace plotwise {

// What the mesh builders need of an equation: its compiled form, the variable table that form
// reads, which of z, r, Θ, Φ it uses, and the variant of implicit extraction.
struct EvaluationData3D {
    // The whole expression (an inequality's relation valued 1 or 0, or a bare expression).
    CompiledExpression expressionNode;
    // The two sides of a relation root, compiled on their own: an explicit surface samples the
    // right side, an implicit "=" surface is the zero set of right minus left. Empty otherwise.
    CompiledExpression leftOperand;
    CompiledExpression rightOperand;
    // The six slots the compiled forms read; not owned.
    double* variableTable = nullptr;
    bool containsTheta = false;
    bool containsR = false;
    bool containsPhi = false;
    bool containsZ = false;
    // Marching tetrahedra instead of marching cubes; gradient normals instead of flat ones. Both
    // are NOT "Faster Implicits", set before each evaluation.
    bool useTetahedros = false;
    bool calculateSmoothForImplicit = false;

    // Compiles `tree` (already free of derivatives) against its own variable table.
    static EvaluationData3D fromTree(const RVOperationTree& tree);

    // Whether an implicit surface reads right minus left instead of the whole expression.
    bool hasRelationSides() const { return !rightOperand.empty(); }
};

}  // namespace plotwise
