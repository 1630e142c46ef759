#include "app/screens/details/LongTextFieldViewController.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/shell/NavigationStack.h"
#include "app/widgets/ScreenBar.h"

namespace plotwise {

namespace {

constexpr int kInset = 5;

QPushButton* barButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The document's text with its paragraph breaks as '\n' and nothing else changed (toPlainText
// also turns non-breaking spaces and line separators into plain ones).
QString rawPlainText(const QPlainTextEdit& view) {
    QString text = view.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

}  // namespace

LongTextFieldViewController::LongTextFieldViewController(DeviceClass device, const QString& title,
                                                         const QString& string, QWidget* parent)
    : QWidget(parent),
      device_(device),
      string_(string),
      textView_(new QPlainTextEdit(this)),
      cancel_(barButton(tr("Cancel"), this)),
      save_(barButton(tr("Save"), this)) {
    setWindowTitle(title);
    useGroupedBackground(this);

    QFont saveFont = save_->font();
    saveFont.setBold(true);
    save_->setFont(saveFont);
    QWidget* bar = makeTitledScreenBar(this, title, cancel_, save_);

    QFont font = textView_->font();
    font.setPointSizeF(13.0);
    textView_->setFont(font);
    textView_->setFrameShape(QFrame::NoFrame);
    textView_->setAccessibleName(title);
    textView_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: white; color: black; }"));
    textView_->setPlainText(string_);
    loaded_ = rawPlainText(*textView_);
    textView_->moveCursor(QTextCursor::End);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12 + kInset, 12 + kInset, 12 + kInset, kInset);
    body->addWidget(textView_);
    body->addStretch(1);
    layout->addLayout(body, 1);

    connect(save_, &QPushButton::clicked, this, &LongTextFieldViewController::save);
    connect(cancel_, &QPushButton::clicked, this, &LongTextFieldViewController::cancel);
    textView_->setFixedHeight(rowHeight(device_, size()));
    // The text view takes Return and most keys itself: these are caught before it.
    textView_->installEventFilter(this);
}

int LongTextFieldViewController::rowHeight(DeviceClass device, QSize viewSize) {
    const bool landscape = viewSize.width() > viewSize.height();
    return device == DeviceClass::Phone && landscape ? 85 : 181;
}

QString LongTextFieldViewController::editedString() const {
    const QString edited = rawPlainText(*textView_);
    // Unchanged: the text exactly as given (the load may have turned "\r\n" into "\n").
    return edited == loaded_ ? string_ : edited;
}

void LongTextFieldViewController::save() {
    if (closing_) {
        return;
    }
    const QString edited = editedString();
    if (delegate_ != nullptr && edited != string_) {
        delegate_->takeNewString(edited);
    }
    leave();
}

void LongTextFieldViewController::cancel() {
    leave();
}

void LongTextFieldViewController::leave() {
    if (closing_) {
        return;
    }
    closing_ = true;
    NavigationStack* stack = NavigationStack::containing(this);
    if (stack != nullptr && stack->topScreen() == this) {
        stack->pop();
        deleteLater();
    } else {
        hide();
    }
}

bool LongTextFieldViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == textView_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if ((enter && mods == Qt::ControlModifier) || key->matches(QKeySequence::Save)) {
            save();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            cancel();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LongTextFieldViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    textView_->setFocus(Qt::OtherFocusReason);
}

void LongTextFieldViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    textView_->setFixedHeight(rowHeight(device_, size()));
}

}  // namespace plotwise
