#pragma once

#include <QString>
#include <cstddef>
#include <deque>

namespace plotwise {

// The text of a one-line field with its caret, selection anchor and undo history, without any
// drawing. Positions are UTF-16 indices; the owner decides where characters begin (it steps with
// its text layout) and only hands this class positions on such boundaries.
class TextEditBuffer {
public:
    // Undo steps kept; older ones are forgotten so the history stays bounded.
    static constexpr std::size_t maximumUndoSteps = 100;

    const QString& text() const { return text_; }
    int caret() const { return caret_; }
    int anchor() const { return anchor_; }
    bool hasSelection() const { return anchor_ != caret_; }
    int selectionStart() const { return qMin(anchor_, caret_); }
    int selectionEnd() const { return qMax(anchor_, caret_); }
    QString selectedText() const;

    // Moves the caret (clamped); with `extend` the anchor stays, else it follows the caret.
    void setCaret(int position, bool extend = false);
    void selectAll();

    // Edits that can be undone. Each records one step, unless it changes nothing.
    // Replaces the selection (or inserts at the caret) and leaves the caret after the new text.
    void insert(const QString& text);
    // Removes [from, to) (clamped) and puts the caret at `from`.
    void remove(int from, int to);
    // Replaces the whole text, caret at its end.
    void setText(const QString& text);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    bool undo();
    bool redo();

private:
    struct State {
        QString text;
        int caret = 0;
        int anchor = 0;
    };
    State state() const { return {text_, caret_, anchor_}; }
    void restore(const State& state);
    void recordUndo();

    QString text_;
    int caret_ = 0;
    int anchor_ = 0;
    std::deque<State> undo_;
    std::deque<State> redo_;
};

}  // namespace plotwise
