#include "app/input/RVTextField.h"

#include "app/widgets/ToolbarIcons.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLineF>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStyleHints>
#include <QTextLine>
#include <algorithm>

namespace plotwise {

namespace {

constexpr int kFieldHeight = 44;
constexpr qreal kFontPixelSize = 22.0;
const QColor kCaretColour(0, 84, 166);
constexpr qreal kLineWidth = 1.0e6;

// The round grey button with a cross that empties the field.
class ClearButton : public QAbstractButton {
public:
    explicit ClearButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        setToolTip(RVTextField::tr("Clear"));
        resize(RVTextField::clearButtonSide, RVTextField::clearButtonSide);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF disc = QRectF(rect()).adjusted(7.5, 7.5, -7.5, -7.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(isDown() ? QColor(90, 90, 90) : QColor(160, 160, 160));
        painter.drawEllipse(disc);
        painter.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
        const QRectF cross = disc.adjusted(5.0, 5.0, -5.0, -5.0);
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.topRight(), cross.bottomLeft());
    }
};

// The open book that opens the library.
class BookmarksButton : public QAbstractButton {
public:
    explicit BookmarksButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        setToolTip(RVTextField::tr("Library"));
        setAccessibleName(RVTextField::tr("Library"));
        resize(RVTextField::bookmarksButtonWidth, RVTextField::bookmarksButtonHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        // The toolbar's book, recoloured: the toolbar draws it light, the field is white.
        const int side = height() - 5;
        const qreal ratio = devicePixelRatioF();
        QPixmap book = ToolbarIcons::bookmarks().pixmap(QSize(side, side), ratio);
        {
            QPainter tint(&book);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(book.rect(), isDown() ? QColor(30, 60, 110) : QColor(70, 110, 170));
        }
        QPainter painter(this);
        painter.drawPixmap(QPoint((width() - side) / 2, (height() - side) / 2), book);
    }
};

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar(0x2028) || c == QChar(0x2029) || c == QChar(0x85);
}

}  // namespace

RVTextField::RVTextField(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setCursor(Qt::IBeamCursor);
    QFont fieldFont = font();
    fieldFont.setPixelSize(static_cast<int>(kFontPixelSize));
    setFont(fieldFont);
    blinker_.setInterval(blinkIntervalMilliseconds);
    connect(&blinker_, &QTimer::timeout, this, &RVTextField::toggleBlinker);
    clearButton_ = new ClearButton(this);
    clearButton_->hide();
    connect(clearButton_, &QAbstractButton::clicked, this, &RVTextField::clear);
    bookmarksButton_ = new BookmarksButton(this);
    bookmarksButton_->hide();
    connect(bookmarksButton_, &QAbstractButton::clicked, this,
            &RVTextField::textFieldBookmarksAction);
    relayout();
}

QSize RVTextField::sizeHint() const {
    return QSize(300, kFieldHeight);
}

void RVTextField::setText(const QString& text) {
    buffer_.setText(text);
    textChanged();
}

void RVTextField::setCaretPosition(int position, bool extend) {
    const int length = static_cast<int>(buffer_.text().size());
    position = qBound(0, position, length);
    // Never between the halves of a surrogate pair or inside a cluster.
    if (!layout_.isValidCursorPosition(displayPosition(position))) {
        position = nextCursorPosition(position);
    }
    buffer_.setCaret(position, extend);
    caretMoved();
}

// ---- Measuring -------------------------------------------------------------------------------

int RVTextField::displayPosition(int position) const {
    return position > buffer_.caret() ? position + static_cast<int>(preedit_.size()) : position;
}

int RVTextField::textPosition(int display) const {
    const int caret = buffer_.caret();
    const int preeditLength = static_cast<int>(preedit_.size());
    if (display <= caret) {
        return display;
    }
    return display <= caret + preeditLength ? caret : display - preeditLength;
}

int RVTextField::previousCursorPosition(int position) const {
    return textPosition(layout_.previousCursorPosition(displayPosition(position)));
}

int RVTextField::nextCursorPosition(int position) const {
    return textPosition(layout_.nextCursorPosition(displayPosition(position)));
}

void RVTextField::relayout() {
    const QString& text = buffer_.text();
    const int caret = buffer_.caret();
    QString display = text;
    if (!preedit_.isEmpty()) {
        display.insert(caret, preedit_);
    }
    layout_.clearLayout();
    layout_.setText(display);
    layout_.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout_.setTextOption(option);
    layout_.setCacheEnabled(true);
    if (!preedit_.isEmpty()) {
        QTextLayout::FormatRange underline;
        underline.start = caret;
        underline.length = static_cast<int>(preedit_.size());
        underline.format.setFontUnderline(true);
        layout_.setFormats({underline});
    } else {
        layout_.clearFormats();
    }
    layout_.beginLayout();
    QTextLine line = layout_.createLine();
    if (line.isValid()) {
        // One line however long: the field scrolls instead of wrapping.
        line.setLineWidth(kLineWidth);
        line.setPosition(QPointF(0.0, 0.0));
    }
    layout_.endLayout();
}

qreal RVTextField::caretOffset() const {
    const QTextLine line = layout_.lineAt(0);
    if (!line.isValid()) {
        return 0.0;
    }
    const int display = buffer_.caret() + (preedit_.isEmpty() ? 0 : preeditCursor_);
    return line.cursorToX(display);
}

qreal RVTextField::offsetForCharAtPos(int index) const {
    const QTextLine line = layout_.lineAt(0);
    qreal width = 0.0;
    if (line.isValid()) {
        const int length = static_cast<int>(buffer_.text().size());
        const int end = index < 0        ? 0
                        : index < length ? layout_.nextCursorPosition(displayPosition(index))
                                         : displayPosition(length);
        width = line.cursorToX(end);
    }
    return width + textInset + 1 + scrollPosition_;
}

qreal RVTextField::visibleRight() const {
    return width() - rightReserve();
}

int RVTextField::rightReserve() const {
    if (clearButton_->isVisible()) {
        return clearButtonSide;
    }
    return bookmarksButton_->isVisible() ? bookmarksButtonWidth - 2 : 0;
}

void RVTextField::setBookmarksButtonEnabled(bool enabled) {
    bookmarksEnabled_ = enabled;
    updateButtons();
}

qreal RVTextField::lineHeight() const {
    return QFontMetricsF(font()).height();
}

qreal RVTextField::textTop() const {
    return (height() - lineHeight()) / 2.0;
}

QRectF RVTextField::caretRect() const {
    const qreal x = caretOffset() + textInset - 1 + scrollPosition_;
    return QRectF(x - 1.0, textTop(), 2.0, lineHeight());
}

// Keeps the caret inside the visible part, leaving the reserve of the button at the right.
void RVTextField::updateScroll() {
    const int caret = static_cast<int>(caretOffset());
    const int reserve = rightReserve();
    int scroll = scrollPosition_;
    if (caret + scroll < 0) {
        scroll = textInset - caret < 0 ? textInset - caret : 0;
    } else if (caret + scroll >= width() - textInset - reserve) {
        scroll = width() - textInset - reserve - caret;
    }
    if (scroll != scrollPosition_) {
        scrollPosition_ = scroll;
        emit scrollPositionChanged(scrollPosition_);
    }
}

// ---- Changes ---------------------------------------------------------------------------------

void RVTextField::textChanged() {
    relayout();
    updateButtons();
    updateScroll();
    showCaretNow();
    update();
    emit textFieldDidChange();
}

void RVTextField::caretMoved() {
    if (!preedit_.isEmpty()) {
        relayout();
    }
    updateScroll();
    showCaretNow();
    update();
}

void RVTextField::updateButtons() {
    const bool visible = hasText() && hasFocus();
    const bool bookmarks = bookmarksEnabled_ && !visible;
    if (visible != clearButton_->isVisible() || bookmarks != bookmarksButton_->isVisible()) {
        clearButton_->setVisible(visible);
        bookmarksButton_->setVisible(bookmarks);
        updateScroll();
    }
    clearButton_->move(width() - clearButtonSide, (height() - clearButtonSide) / 2);
    bookmarksButton_->move(width() - 38, (height() - bookmarksButtonHeight) / 2);
}

void RVTextField::showCaretNow() {
    if (blinker_.isActive()) {
        blinkerState_ = true;
        blinker_.start();
    }
}

void RVTextField::toggleBlinker() {
    blinkerState_ = !blinkerState_;
    update(caretRect().toAlignedRect().adjusted(-1, -1, 1, 1));
}

void RVTextField::appendString(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    buffer_.insert(text);
    textChanged();
}

void RVTextField::insertTyped(const QString& typed) {
    QString text;
    for (const QChar c : typed) {
        if (c.category() == QChar::Other_Control) {
            continue;
        }
        text.append(c == u'*' ? QChar(0x22C5) : c);
    }
    if (text.isEmpty()) {
        return;
    }
    const int caret = buffer_.caret();
    if (text == QStringLiteral("=") && !buffer_.hasSelection() && caret > 0) {
        const QChar before = buffer_.text().at(caret - 1);
        const QString sign = before == u'<'   ? QStringLiteral("≤")
                             : before == u'>' ? QStringLiteral("≥")
                             : before == u'!' ? QStringLiteral("≠")
                                              : QString();
        if (!sign.isEmpty()) {
            buffer_.setCaret(caret - 1);
            buffer_.setCaret(caret, true);
            text = sign;
        }
    }
    appendString(text);
}

void RVTextField::removePreviousChar() {
    if (buffer_.hasSelection()) {
        buffer_.remove(buffer_.selectionStart(), buffer_.selectionEnd());
    } else if (buffer_.caret() > 0) {
        buffer_.remove(previousCursorPosition(buffer_.caret()), buffer_.caret());
    } else {
        return;
    }
    textChanged();
}

void RVTextField::removeNextChar() {
    if (buffer_.hasSelection()) {
        buffer_.remove(buffer_.selectionStart(), buffer_.selectionEnd());
    } else if (buffer_.caret() < buffer_.text().size()) {
        buffer_.remove(buffer_.caret(), nextCursorPosition(buffer_.caret()));
    } else {
        return;
    }
    textChanged();
}

void RVTextField::moveCaretLeft(bool extend) {
    if (!extend && buffer_.hasSelection()) {
        buffer_.setCaret(buffer_.selectionStart());
    } else {
        buffer_.setCaret(previousCursorPosition(buffer_.caret()), extend);
    }
    caretMoved();
}

void RVTextField::moveCaretRight(bool extend) {
    if (!extend && buffer_.hasSelection()) {
        buffer_.setCaret(buffer_.selectionEnd());
    } else {
        buffer_.setCaret(nextCursorPosition(buffer_.caret()), extend);
    }
    caretMoved();
}

void RVTextField::moveCaretToStart(bool extend) {
    buffer_.setCaret(0, extend);
    caretMoved();
}

void RVTextField::moveCaretToEnd(bool extend) {
    buffer_.setCaret(static_cast<int>(buffer_.text().size()), extend);
    caretMoved();
}

void RVTextField::setCaretAtXpos(qreal x, bool extend) {
    const QTextLine line = layout_.lineAt(0);
    if (!line.isValid()) {
        return;
    }
    const int display = line.xToCursor(x - textInset - scrollPosition_);
    buffer_.setCaret(textPosition(display), extend);
    caretMoved();
}

void RVTextField::clear() {
    if (!hasText()) {
        return;
    }
    buffer_.setText(QString());
    textChanged();
}

void RVTextField::selectAll() {
    buffer_.selectAll();
    caretMoved();
}

void RVTextField::undo() {
    if (buffer_.undo()) {
        textChanged();
    }
}

void RVTextField::redo() {
    if (buffer_.redo()) {
        textChanged();
    }
}

void RVTextField::copy() {
    const QString text = buffer_.hasSelection() ? buffer_.selectedText() : buffer_.text();
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
    }
}

void RVTextField::cut() {
    if (!buffer_.hasSelection()) {
        return;
    }
    copy();
    buffer_.remove(buffer_.selectionStart(), buffer_.selectionEnd());
    textChanged();
}

void RVTextField::paste() {
    const QString text = singleLine(QGuiApplication::clipboard()->text());
    if (!text.isEmpty()) {
        appendString(text);
    }
}

QString RVTextField::singleLine(const QString& text) {
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isLineBreak(c)) {
            line.append(c);
            continue;
        }
        line.append(u' ');
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            ++i;
        }
    }
    return line;
}

QMenu* RVTextField::createEditMenu() {
    auto* menu = new QMenu(this);
    QAction* undoAction = menu->addAction(tr("Undo"), this, &RVTextField::undo);
    undoAction->setEnabled(buffer_.canUndo());
    QAction* redoAction = menu->addAction(tr("Redo"), this, &RVTextField::redo);
    redoAction->setEnabled(buffer_.canRedo());
    menu->addSeparator();
    menu->addAction(tr("Copy"), this, &RVTextField::copy)->setEnabled(hasText());
    menu->addAction(tr("Paste"), this, &RVTextField::paste)
        ->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    menu->addAction(tr("Select All"), this, &RVTextField::selectAll)->setEnabled(hasText());
    return menu;
}

void RVTextField::showEditMenu(const QPoint& globalPosition) {
    QMenu* menu = createEditMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

// ---- Keys ------------------------------------------------------------------------------------

QString RVTextField::altShortcutText(int key) {
    switch (key) {
        case Qt::Key_S:
            return QStringLiteral("√");
        case Qt::Key_P:
            return QStringLiteral("π");
        case Qt::Key_T:
            return QStringLiteral("Θ");
        case Qt::Key_F:
            return QStringLiteral("Φ");
        case Qt::Key_Less:
            return QStringLiteral("≤");
        case Qt::Key_Greater:
            return QStringLiteral("≥");
        case Qt::Key_Equal:
            return QStringLiteral("≠");
        default:
            return {};
    }
}

bool RVTextField::handleEditingKey(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo) ||
               (event->key() == Qt::Key_Z &&
                event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))) {
        redo();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else {
        const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
        const Qt::KeyboardModifiers chord =
            event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier);
        if (chord != Qt::NoModifier) {
            return false;
        }
        switch (event->key()) {
            case Qt::Key_Left:
                moveCaretLeft(shift);
                break;
            case Qt::Key_Right:
                moveCaretRight(shift);
                break;
            case Qt::Key_Home:
                moveCaretToStart(shift);
                break;
            case Qt::Key_End:
                moveCaretToEnd(shift);
                break;
            case Qt::Key_Backspace:
                removePreviousChar();
                break;
            case Qt::Key_Delete:
                removeNextChar();
                break;
            default:
                return false;
        }
    }
    return true;
}

void RVTextField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit textFieldDidReceiveReturn();
        return;
    }
    if (handleEditingKey(event)) {
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & (Qt::ControlModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    if (modifiers & Qt::AltModifier) {
        const QString text = altShortcutText(event->key());
        if (text.isEmpty()) {
            event->ignore();
        } else {
            appendString(text);
        }
        return;
    }
    // Whatever decimal separator the layout gives the keypad, the language's point is ".".
    if (modifiers.testFlag(Qt::KeypadModifier) &&
        (event->key() == Qt::Key_Comma || event->key() == Qt::Key_Period)) {
        appendString(QStringLiteral("."));
        return;
    }
    const QString text = event->text();
    if (text.isEmpty() || event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    insertTyped(text);
}

bool RVTextField::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Keys the field uses are not taken by the window's shortcuts while it has focus.
            auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers modifiers = key->modifiers();
            const bool chord = modifiers & (Qt::ControlModifier | Qt::MetaModifier);
            const bool alt = modifiers & Qt::AltModifier;
            const bool printable = !key->text().isEmpty() && !chord && !alt &&
                                   key->key() != Qt::Key_Escape && key->key() != Qt::Key_Return &&
                                   key->key() != Qt::Key_Enter;
            if (printable || (alt && !chord && !altShortcutText(key->key()).isEmpty()) ||
                key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) ||
                key->matches(QKeySequence::Paste) || key->matches(QKeySequence::SelectAll)) {
                event->accept();
                return true;
            }
            break;
        }
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            handleTouch(static_cast<QTouchEvent*>(event));
            return true;
        case QEvent::TouchCancel:
            return true;
        default:
            break;
    }
    return QWidget::event(event);
}

// ---- Input methods ---------------------------------------------------------------------------

void RVTextField::inputMethodEvent(QInputMethodEvent* event) {
    const QString before = buffer_.text();
    if (event->replacementLength() > 0 || event->replacementStart() != 0) {
        const int length = static_cast<int>(before.size());
        const int caret = buffer_.caret();
        const qint64 start64 =
            std::clamp<qint64>(qint64(caret) + event->replacementStart(), 0, length);
        const qint64 end64 =
            std::clamp<qint64>(start64 + event->replacementLength(), start64, length);
        int start = static_cast<int>(start64);
        int end = static_cast<int>(end64);
        // Clamped to whole characters.
        if (!layout_.isValidCursorPosition(displayPosition(start))) {
            start = previousCursorPosition(start);
        }
        if (!layout_.isValidCursorPosition(displayPosition(end))) {
            end = nextCursorPosition(end);
        }
        if (start < end) {
            buffer_.remove(start, end);
        } else {
            buffer_.setCaret(start);
        }
    }
    const QString commit = singleLine(event->commitString());
    if (!commit.isEmpty()) {
        buffer_.insert(commit);
    }
    preedit_ = singleLine(event->preeditString());
    preeditCursor_ = static_cast<int>(preedit_.size());
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            preeditCursor_ = qBound(0, attribute.start, static_cast<int>(preedit_.size()));
        }
    }
    if (buffer_.text() != before) {
        textChanged();
    } else {
        relayout();
        updateScroll();
        update();
    }
    event->accept();
}

QVariant RVTextField::inputMethodQuery(Qt::InputMethodQuery query) const {
    const QString& text = buffer_.text();
    const int caret = buffer_.caret();
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImCursorRectangle:
            return caretRect().toAlignedRect();
        case Qt::ImFont:
            return font();
        case Qt::ImCursorPosition:
        case Qt::ImAbsolutePosition:
            return caret;
        case Qt::ImAnchorPosition:
            return buffer_.anchor();
        case Qt::ImSurroundingText:
            return text;
        case Qt::ImCurrentSelection:
            return buffer_.selectedText();
        case Qt::ImTextBeforeCursor:
            return text.left(caret);
        case Qt::ImTextAfterCursor:
            return text.mid(caret);
        case Qt::ImHints:
            return static_cast<int>(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase |
                                    Qt::ImhPreferLatin);
        default:
            return QWidget::inputMethodQuery(query);
    }
}

// ---- Pointer and touch -----------------------------------------------------------------------

void RVTextField::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (!hasFocus()) {
        setFocus(Qt::MouseFocusReason);
    }
    setCaretAtXpos(event->position().x(), event->modifiers().testFlag(Qt::ShiftModifier));
}

void RVTextField::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons().testFlag(Qt::LeftButton)) {
        setCaretAtXpos(event->position().x(), true);
    }
}

void RVTextField::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        showEditMenu(mapToGlobal(QPoint(textInset, height())));
    }
}

void RVTextField::contextMenuEvent(QContextMenuEvent* event) {
    showEditMenu(event->globalPos());
}

void RVTextField::handleTouch(QTouchEvent* event) {
    event->accept();
    if (event->points().isEmpty()) {
        return;
    }
    const QPointF position = event->points().first().position();
    if (event->type() == QEvent::TouchBegin) {
        if (!hasFocus()) {
            setFocus(Qt::MouseFocusReason);
        }
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        if (lastTouchEnd_ >= 0 && now - lastTouchEnd_ <= interval &&
            QLineF(position, lastTouchPosition_).length() < 20.0) {
            lastTouchEnd_ = -1;
            showEditMenu(mapToGlobal(QPoint(textInset, height())));
            return;
        }
    }
    // A finger moves the caret; it does not select.
    setCaretAtXpos(position.x());
    if (event->type() == QEvent::TouchEnd) {
        lastTouchEnd_ = QDateTime::currentMSecsSinceEpoch();
        lastTouchPosition_ = position;
    }
}

// ---- Focus and drawing -----------------------------------------------------------------------

void RVTextField::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    blinkerState_ = true;
    blinker_.start();
    // The expression keyboard is the input panel.
    QGuiApplication::inputMethod()->hide();
    updateButtons();
    update();
}

void RVTextField::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    blinker_.stop();
    blinkerState_ = false;
    updateButtons();
    update();
}

void RVTextField::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateButtons();
    updateScroll();
}

void RVTextField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 120, 120), 1.0));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6.0, 6.0);

    const qreal reserve = rightReserve();
    painter.setClipRect(QRectF(1.0, 0.0, width() - reserve - 1.0, height()));
    QList<QTextLayout::FormatRange> selections;
    if (buffer_.hasSelection()) {
        QTextLayout::FormatRange selection;
        selection.start = displayPosition(buffer_.selectionStart());
        selection.length = displayPosition(buffer_.selectionEnd()) - selection.start;
        selection.format.setBackground(palette().brush(QPalette::Highlight));
        selection.format.setForeground(palette().brush(QPalette::HighlightedText));
        selections.append(selection);
    }
    painter.setPen(Qt::black);
    layout_.draw(&painter, QPointF(scrollPosition_ + textInset, textTop()), selections);
    if (blinkerState_) {
        painter.fillRect(caretRect(), kCaretColour);
    }
}

}  // namespace plotwise
