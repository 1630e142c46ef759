#pragma once

#include <functional>

class QAbstractItemModel;
class QObject;

namespace plotwise {

// How a plane's view follows the equation model it draws: rows that arrive, and rows shown again
// (hiding drops an equation's samples), are evaluated and the plane repainted; a removal, a move,
// a reset or a new order only repaints. Both planes' views observe their models through it.
class EquationModelObserver {
public:
    // Evaluates the rows from `first` to `last`, both included.
    using EvaluateRows = std::function<void(int first, int last)>;
    using Repaint = std::function<void()>;

    // Connects for as long as `context` and `model` live; `model->disconnect(context)` undoes it.
    static void observe(const QAbstractItemModel& model, const QObject& context,
                        EvaluateRows evaluateRows, Repaint repaint);
};

}  // namespace plotwise
