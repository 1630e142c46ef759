#pragma once

#include <QTextLayout>
#include <QTimer>
#include <QWidget>

#include "app/input/TextEditBuffer.h"

class QAbstractButton;
class QMenu;

namespace plotwise {

// The one-line expression field: a caret that blinks while the field has focus, a scroll
// position that keeps the caret in view, selection, undo, the clipboard and input methods. It
// never asks for the system's on-screen keyboard: the expression keyboard is the input panel.
// Positions are UTF-16 indices, as the parser's; the caret only rests between whole characters
// as the text layout (rebuilt once per change) defines them.
class RVTextField : public QWidget {
    Q_OBJECT

public:
    // Left inset of the text; the caret is drawn one point left of the character boundary.
    static constexpr int textInset = 10;
    static constexpr int clearButtonSide = 31;
    static constexpr int bookmarksButtonWidth = 36;
    static constexpr int bookmarksButtonHeight = 27;
    static constexpr int blinkIntervalMilliseconds = 500;

    explicit RVTextField(QWidget* parent = nullptr);

    QString text() const { return buffer_.text(); }
    // Replaces the text (undoably), caret at its end.
    void setText(const QString& text);
    bool hasText() const { return !buffer_.text().isEmpty(); }
    int caretPosition() const { return buffer_.caret(); }
    void setCaretPosition(int position, bool extend = false);
    bool hasSelection() const { return buffer_.hasSelection(); }
    int selectionStart() const { return buffer_.selectionStart(); }
    int selectionEnd() const { return buffer_.selectionEnd(); }
    QString selectedText() const { return buffer_.selectedText(); }
    QString preeditText() const { return preedit_; }

    // The x offset of the text's first character relative to its inset; zero or negative.
    int scrollPosition() const { return scrollPosition_; }
    // The x, in the field, of the right edge of the character at `index`: the width of the text
    // up to and including that character + 11 + scrollPosition. At or past the end, the whole
    // text's width.
    qreal offsetForCharAtPos(int index) const;
    // The caret's x from the text's start, before scrolling.
    qreal caretOffset() const;
    // Where the text can be seen, in field coordinates: from the inset to the reserve at the right.
    qreal visibleLeft() const { return textInset; }
    qreal visibleRight() const;
    bool blinkerState() const { return blinkerState_; }
    bool isBlinking() const { return blinker_.isActive(); }
    QAbstractButton* clearButton() const { return clearButton_; }
    // The library button, shown whenever the clear button is not, once enabled.
    QAbstractButton* bookmarksButton() const { return bookmarksButton_; }
    void setBookmarksButtonEnabled(bool enabled);

    // Editing, as the keys and menus do it. Each changes the text undoably and reports it.
    // Inserts at the caret (replacing a selection) and moves the caret behind the text.
    void appendString(const QString& text);
    void removePreviousChar();
    void removeNextChar();
    void moveCaretLeft(bool extend = false);
    void moveCaretRight(bool extend = false);
    void moveCaretToStart(bool extend = false);
    void moveCaretToEnd(bool extend = false);
    // Places the caret at the character boundary nearest to `x` (field coordinates).
    void setCaretAtXpos(qreal x, bool extend = false);
    void clear();
    void selectAll();
    void undo();
    void redo();
    // The selection, or the whole text without one.
    void copy();
    void cut();
    // Inserts the clipboard's text at the caret, its line breaks as spaces; caret after it.
    void paste();
    // The edit menu (undo, redo, copy, paste, select all) as it would pop up now; not shown.
    QMenu* createEditMenu();

    // Pasted and committed text as one line: each line break (CR LF, CR, LF, U+2028, U+2029,
    // NEL) becomes one space; every other character is kept.
    static QString singleLine(const QString& text);

    QSize sizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // The text changed (not the caret or the preedit).
    void textFieldDidChange();
    // Return or Enter was pressed.
    void textFieldDidReceiveReturn();
    void textFieldBookmarksAction();
    void scrollPositionChanged(int scrollPosition);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Typed text: control characters dropped, "*" as "⋅", "<=", ">=" and "!=" as one sign.
    void insertTyped(const QString& text);
    // The Alt shortcut's character for a key, or none.
    static QString altShortcutText(int key);
    bool handleEditingKey(QKeyEvent* event);
    void handleTouch(QTouchEvent* event);
    void showEditMenu(const QPoint& globalPosition);

    void textChanged();
    void caretMoved();
    void relayout();
    void updateScroll();
    void updateButtons();
    // The width the buttons at the right keep free of text.
    int rightReserve() const;
    void showCaretNow();
    void toggleBlinker();
    QRectF caretRect() const;
    qreal lineHeight() const;
    qreal textTop() const;
    // Positions of the text in the laid-out line, which also holds the preedit at the caret.
    int displayPosition(int position) const;
    int textPosition(int displayPosition) const;
    int previousCursorPosition(int position) const;
    int nextCursorPosition(int position) const;

    TextEditBuffer buffer_;
    QString preedit_;
    int preeditCursor_ = 0;
    QTextLayout layout_;
    int scrollPosition_ = 0;
    bool blinkerState_ = false;
    QTimer blinker_;
    QAbstractButton* clearButton_ = nullptr;
    QAbstractButton* bookmarksButton_ = nullptr;
    bool bookmarksEnabled_ = false;
    qint64 lastTouchEnd_ = -1;
    QPointF lastTouchPosition_;
};

}  // namespace plotwise
