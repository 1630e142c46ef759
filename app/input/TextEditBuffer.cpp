#include "app/input/TextEditBuffer.h"

namespace plotwise {

QString TextEditBuffer::selectedText() const {
    return text_.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TextEditBuffer::setCaret(int position, bool extend) {
    caret_ = qBound(0, position, static_cast<int>(text_.size()));
    if (!extend) {
        anchor_ = caret_;
    }
}

void TextEditBuffer::selectAll() {
    anchor_ = 0;
    caret_ = static_cast<int>(text_.size());
}

void TextEditBuffer::insert(const QString& text) {
    if (text.isEmpty() && !hasSelection()) {
        return;
    }
    recordUndo();
    const int start = selectionStart();
    text_.replace(start, selectionEnd() - start, text);
    caret_ = anchor_ = start + static_cast<int>(text.size());
}

void TextEditBuffer::remove(int from, int to) {
    const int length = static_cast<int>(text_.size());
    from = qBound(0, from, length);
    to = qBound(from, to, length);
    if (from == to) {
        return;
    }
    recordUndo();
    text_.remove(from, to - from);
    caret_ = anchor_ = from;
}

void TextEditBuffer::setText(const QString& text) {
    if (text == text_) {
        setCaret(static_cast<int>(text_.size()));
        return;
    }
    recordUndo();
    text_ = text;
    caret_ = anchor_ = static_cast<int>(text_.size());
}

bool TextEditBuffer::undo() {
    if (undo_.empty()) {
        return false;
    }
    redo_.push_back(state());
    restore(undo_.back());
    undo_.pop_back();
    return true;
}

bool TextEditBuffer::redo() {
    if (redo_.empty()) {
        return false;
    }
    undo_.push_back(state());
    restore(redo_.back());
    redo_.pop_back();
    return true;
}

void TextEditBuffer::restore(const State& state) {
    text_ = state.text;
    caret_ = state.caret;
    anchor_ = state.anchor;
}

void TextEditBuffer::recordUndo() {
    undo_.push_back(state());
    if (undo_.size() > maximumUndoSteps) {
        undo_.pop_front();
    }
    redo_.clear();
}

}  // namespace plotwise
