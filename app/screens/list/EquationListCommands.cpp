#include "app/screens/list/EquationListCommands.h"

#include <algorithm>

#include "equations/EquationListModel.h"

namespace plotwise {

SetEquationDataCommand::SetEquationDataCommand(EquationListModel& model, RVEquation* equation,
                                               int role, QVariant value, const QString& text,
                                               int mergeId, bool continuing)
    : QUndoCommand(text),
      model_(model),
      equation_(equation),
      role_(role),
      old_(model.data(model.index(model.rowOf(equation)), role)),
      new_(std::move(value)),
      mergeId_(mergeId),
      continuing_(continuing) {}

void SetEquationDataCommand::apply(const QVariant& value) {
    const int row = model_.rowOf(equation_);
    if (row >= 0) {
        model_.setData(model_.index(row), value, role_);
    }
}

void SetEquationDataCommand::undo() {
    apply(old_);
}

void SetEquationDataCommand::redo() {
    apply(new_);
}

bool SetEquationDataCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const SetEquationDataCommand*>(other);
    if (!next->continuing_ || next->equation_ != equation_ || next->role_ != role_) {
        return false;
    }
    new_ = next->new_;
    return true;
}

RemoveEquationsCommand::RemoveEquationsCommand(EquationListModel& model, std::vector<int> rows,
                                               const QString& text)
    : QUndoCommand(text), model_(model) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (RVEquation* equation = model.equationAt(row)) {
            removed_.push_back({equation, row, nullptr});
        }
    }
}

RemoveEquationsCommand::~RemoveEquationsCommand() = default;

void RemoveEquationsCommand::redo() {
    // Highest row first, so the rows below keep their numbers.
    for (auto it = removed_.rbegin(); it != removed_.rend(); ++it) {
        const int row = model_.rowOf(it->equation);
        if (row >= 0) {
            it->row = row;
            it->owned = model_.takeEquation(row);
        }
    }
}

void RemoveEquationsCommand::undo() {
    // Lowest row first: each goes back where it was among the ones put back before it.
    for (Removed& removed : removed_) {
        if (removed.owned) {
            model_.insertEquation(removed.row, std::move(removed.owned));
        }
    }
}

MoveEquationCommand::MoveEquationCommand(EquationListModel& model, int from, int to,
                                         const QString& text)
    : QUndoCommand(text), model_(model), equation_(model.equationAt(from)), from_(from), to_(to) {}

void MoveEquationCommand::move(int to) {
    const int row = model_.rowOf(equation_);
    if (row < 0 || row == to || to < 0 || to >= model_.count()) {
        return;
    }
    // moveRows takes the row before which the block lands.
    model_.moveRows({}, row, 1, {}, to > row ? to + 1 : to);
}

void MoveEquationCommand::undo() {
    move(from_);
}

void MoveEquationCommand::redo() {
    move(to_);
}

InsertEquationCommand::InsertEquationCommand(EquationListModel& model, int row,
                                             std::unique_ptr<RVEquation> equation,
                                             RVEquation* replaced, const QString& text)
    : QUndoCommand(text),
      model_(model),
      row_(row),
      equation_(equation.get()),
      replaced_(replaced),
      held_(std::move(equation)) {}

InsertEquationCommand::~InsertEquationCommand() = default;

void InsertEquationCommand::redo() {
    if (!held_ || held_.get() != equation_) {
        return;
    }
    const int replacedRow = replaced_ != nullptr ? model_.rowOf(replaced_) : -1;
    if (replacedRow >= 0) {
        row_ = replacedRow;
        held_ = model_.replaceEquation(replacedRow, std::move(held_));
    } else {
        // The edited equation went meanwhile: the accepted one becomes a new one.
        row_ = std::clamp(row_, 0, model_.count());
        model_.insertEquation(row_, std::move(held_));
        replaced_ = nullptr;
    }
}

void InsertEquationCommand::undo() {
    const int row = model_.rowOf(equation_);
    if (row < 0 || (held_ && held_.get() == equation_)) {
        return;
    }
    if (replaced_ != nullptr && held_) {
        held_ = model_.replaceEquation(row, std::move(held_));
    } else {
        held_ = model_.takeEquation(row);
    }
}

}  // namespace plotwise
