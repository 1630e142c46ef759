#pragma once

#include "engine/EquationType.h"
#include "engine/RVBinaryOperation.h"

namespace plotwise {

// left relop right: an assignment, an explicit equation, an implicit equation or an inequality.
class RVRelationOperation : public RVBinaryOperation {
public:
    static constexpr std::u16string_view relationOperators = u"=><≤≥≠";
    // Coordinate-system masks by variable index (x y z r Θ Φ): an equation is explicit only when
    // its left variable shares a coordinate system with every variable on the right.
    static constexpr unsigned char coordinateSystemMasks[6] = {0x01, 0x01, 0x0D, 0x0E, 0x0E, 0x08};

    RVRelationOperation(RVToken token, std::unique_ptr<RVOperation> lvalue,
                        std::unique_ptr<RVOperation> rvalue);

    double value() const override;
    bool simplify() override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;

    bool determineIfExplicit() const;
    // Recomputes isExplicit and, when explicit, equationType (after the operands changed).
    void updateClassification();

    bool isAssignment() const { return isAssignment_; }
    void setIsAssignment(bool isAssignment) { isAssignment_ = isAssignment; }
    bool isExplicit() const { return isExplicit_; }
    EquationType equationType() const { return equationType_; }
    int relopType() const { return relopType_; }

private:
    bool isAssignment_ = false;
    bool isExplicit_ = false;
    EquationType equationType_ = EquationType::Implicit;
    int relopType_ = 0;
};

}  // namespace plotwise
