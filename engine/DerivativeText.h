#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plotwise {

class RVOperation;
class RVVariable;

// Fills a derivative template: each "%@" takes the next item.
std::u16string fillTemplate(std::u16string_view format, const std::vector<std::u16string>& items);

// "d/d" + the variable's letter + "(" + text + ")".
std::u16string derivativeOf(const RVVariable& variable, std::u16string_view text);

// Parses the derivative text against the variable's table and puts its root in the node's
// place. Hands back the detached node (keep it until returning). When the text is over the
// simplification budget or does not parse, the node stays and the budget is marked exhausted.
[[nodiscard]] std::unique_ptr<RVOperation> replaceByDerivativeText(RVOperation& node,
                                                                   const std::u16string& text,
                                                                   const RVVariable& variable);

// Whether the subtree holds the variable (by slot), so its derivative may be non-zero.
bool dependsOnVariable(const RVOperation& operation, const RVVariable& variable);

// The derivative of the root of index n of a, for an index that does not depend on the
// variable: d/dv(a)/(n⋅(n√a)^(n−1)), real wherever the root is (odd roots of negative numbers).
// n and a are operand texts.
std::u16string rootDerivativeText(std::u16string_view n, std::u16string_view a,
                                  const RVVariable& variable);

// A new derivative node d/dv(operand).
std::unique_ptr<RVOperation> makeDerivative(const RVVariable& variable,
                                            std::unique_ptr<RVOperation> operand);

}  // namespace plotwise
