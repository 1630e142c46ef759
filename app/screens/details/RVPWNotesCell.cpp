#include "app/screens/details/RVPWNotesCell.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTextBoundaryFinder>
#include <QVBoxLayout>

namespace plotwise {

namespace {

constexpr int kMinimumHeight = 44;
constexpr int kVerticalPadding = 8;

// The first characters of `text` up to `length`, never splitting a character cluster (an emoji
// sequence or a letter with its marks).
QString preview(const QString& text, int length) {
    if (text.size() <= length) {
        return text;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(length);
    if (!finder.isAtBoundary()) {
        finder.toPreviousBoundary();
    }
    return text.left(std::max(0, static_cast<int>(finder.position()))) + QChar(0x2026);
}

}  // namespace

RVPWNotesCell::RVPWNotesCell(QWidget* parent) : QWidget(parent), label_(new QLabel(this)) {
    QFont font = label_->font();
    font.setPointSizeF(13.0);
    label_->setFont(font);
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, kVerticalPadding / 2, 0, kVerticalPadding / 2);
    layout->addWidget(label_);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(kMinimumHeight);
    setAccessibleName(tr("Notes"));
    setText(QString());
}

void RVPWNotesCell::setText(const QString& notes) {
    text_ = notes;
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, notes.isEmpty() ? QColor(Qt::gray) : QColor(Qt::black));
    label_->setPalette(palette);
    label_->setText(notes.isEmpty() ? tr("None") : preview(notes, previewLength));
    updateGeometry();
}

int RVPWNotesCell::heightForWidth(int width) const {
    return std::max(kMinimumHeight, label_->heightForWidth(width) + kVerticalPadding);
}

QSize RVPWNotesCell::sizeHint() const {
    const int width = std::max(100, this->width());
    return {width, heightForWidth(width)};
}

void RVPWNotesCell::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void RVPWNotesCell::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace plotwise
