#pragma once

#include <QUndoCommand>
#include <QVariant>
#include <memory>
#include <vector>

namespace plotwise {

class EquationListModel;
class RVEquation;

// The list's changes as undoable steps on the plane's undo stack. Each command finds its
// equations by identity, not by row, so a row added meanwhile by another screen does not send
// it to the wrong equation; an equation no longer in the model is left alone.

// One role of one equation set to a value (visibility, colour, caption). A continuing step
// merges into the step before it when that has the same merge id, equation and role (a picker
// drag is one step).
class SetEquationDataCommand : public QUndoCommand {
public:
    SetEquationDataCommand(EquationListModel& model, RVEquation* equation, int role, QVariant value,
                           const QString& text, int mergeId = -1, bool continuing = false);
    void undo() override;
    void redo() override;
    int id() const override { return mergeId_; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply(const QVariant& value);

    EquationListModel& model_;
    RVEquation* equation_;
    int role_;
    QVariant old_;
    QVariant new_;
    int mergeId_;
    bool continuing_;
};

// Removes equations (given by row, any order); they live in the command until undo puts each
// back at its row.
class RemoveEquationsCommand : public QUndoCommand {
public:
    RemoveEquationsCommand(EquationListModel& model, std::vector<int> rows, const QString& text);
    ~RemoveEquationsCommand() override;
    void undo() override;
    void redo() override;

private:
    struct Removed {
        RVEquation* equation;
        int row;
        std::unique_ptr<RVEquation> owned;
    };
    EquationListModel& model_;
    // Ascending rows.
    std::vector<Removed> removed_;
};

// Moves one equation to a row (the row it ends at).
class MoveEquationCommand : public QUndoCommand {
public:
    MoveEquationCommand(EquationListModel& model, int from, int to, const QString& text);
    void undo() override;
    void redo() override;

private:
    void move(int to);

    EquationListModel& model_;
    RVEquation* equation_;
    int from_;
    int to_;
};

// Puts a new equation at a row (an added one) or in place of another (an edited one, kept by
// the command for undo).
class InsertEquationCommand : public QUndoCommand {
public:
    InsertEquationCommand(EquationListModel& model, int row, std::unique_ptr<RVEquation> equation,
                          RVEquation* replaced, const QString& text);
    ~InsertEquationCommand() override;
    void undo() override;
    void redo() override;

private:
    EquationListModel& model_;
    int row_;
    RVEquation* equation_;
    RVEquation* replaced_;
    // Whichever of the two is out of the model.
    std::unique_ptr<RVEquation> held_;
};

}  // namespace plotwise
