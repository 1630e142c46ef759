#include "app/screens/library/RVPWLibraryDetailsController.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "app/widgets/ScreenBar.h"
#include "equations/RVEquation.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {

RVPWLibraryDetailsController::RVPWLibraryDetailsController(RVEquation& expression,
                                                           qreal devicePixelRatio, QWidget* parent)
    : QWidget(parent),
      expression_(expression),
      captionField_(new QLineEdit(this)),
      notesField_(new QPlainTextEdit(this)) {
    setWindowTitle(tr("Details"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(0.84f, 0.868f, 0.899f));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->addWidget(makeScreenBar(this, tr("Details"), &back_));
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 8, 12, 0);
    body->setSpacing(8);
    layout->addLayout(body, 1);

    auto* formula = new QLabel(this);
    formula->setMinimumHeight(65);
    formula->setAlignment(Qt::AlignCenter);
    formula->setStyleSheet(QStringLiteral("background: white; border-radius: 8px;"));
    if (expression_.expression() != nullptr) {
        ExpressionImage image;
        const QImage& made = image.expressionImage(*expression_.expression(), devicePixelRatio);
        if (!made.isNull()) {
            formula->setPixmap(QPixmap::fromImage(made));
        } else {
            formula->setText(
                QString::fromStdU16String(expression_.expression()->expressionString()));
        }
    }
    body->addWidget(formula);

    auto* captionLabel = new QLabel(tr("Caption"), this);
    QFont bold = captionLabel->font();
    bold.setBold(true);
    captionLabel->setFont(bold);
    body->addWidget(captionLabel);
    captionField_->setPlaceholderText(tr("None"));
    captionField_->setMaxLength(std::numeric_limits<int>::max());
    captionField_->setText(expression_.caption());
    captionField_->setAccessibleName(tr("Caption"));
    body->addWidget(captionField_);

    auto* notesLabel = new QLabel(tr("Notes"), this);
    notesLabel->setFont(bold);
    body->addWidget(notesLabel);
    notesField_->setPlaceholderText(tr("None"));
    notesField_->setPlainText(expression_.notes());
    notesField_->setAccessibleName(tr("Notes"));
    notesField_->setTabChangesFocus(true);
    notesField_->installEventFilter(this);
    body->addWidget(notesField_, 1);

    connect(captionField_, &QLineEdit::editingFinished, this,
            &RVPWLibraryDetailsController::commitCaption);
    connect(back_, &QPushButton::clicked, this, &RVPWLibraryDetailsController::finish);
}

void RVPWLibraryDetailsController::commitCaption() {
    if (captionField_->text() == expression_.caption()) {
        return;
    }
    expression_.setCaption(captionField_->text());
    emit detailsChanged();
}

void RVPWLibraryDetailsController::takeNewString(const QString& notes) {
    if (notesField_->toPlainText() != notes) {
        notesField_->setPlainText(notes);
    }
    if (notes == expression_.notes()) {
        return;
    }
    expression_.setNotes(notes);
    emit detailsChanged();
}

void RVPWLibraryDetailsController::commitNotes() {
    takeNewString(notesField_->toPlainText());
}

bool RVPWLibraryDetailsController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == notesField_ && event->type() == QEvent::FocusOut) {
        commitNotes();
    }
    return QWidget::eventFilter(watched, event);
}

void RVPWLibraryDetailsController::finish() {
    commitCaption();
    commitNotes();
    emit backRequested();
}

void RVPWLibraryDetailsController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        finish();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace plotwise
