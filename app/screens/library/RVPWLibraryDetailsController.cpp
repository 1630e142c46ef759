#include "app/screens/library/RVPWLibraryDetailsController.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/screens/details/RVPWLabelCell.h"
#include "app/screens/details/RVPWNotesCell.h"
#include "app/shell/NavigationStack.h"
#include "app/widgets/ScreenBar.h"
#include "equations/RVEquation.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {

RVPWLibraryDetailsController::RVPWLibraryDetailsController(RVEquation& expression,
                                                           DeviceClass device,
                                                           qreal devicePixelRatio, QWidget* parent)
    : QWidget(parent),
      expression_(expression),
      device_(device),
      captionCell_(new RVPWLabelCell(tr("Caption"), this)),
      notesCell_(new RVPWNotesCell(this)) {
    setWindowTitle(tr("Details"));
    useGroupedBackground(this);

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
    captionCell_->textField()->setPlaceholderText(tr("None"));
    captionCell_->setText(expression_.caption());
    body->addWidget(captionCell_);
    notesCell_->setText(expression_.notes());
    body->addWidget(notesCell_);
    body->addStretch();

    connect(captionCell_, &RVPWLabelCell::textCommitted, this, [this](const QString& caption) {
        expression_.setCaption(caption);
        emit detailsChanged();
    });
    connect(notesCell_, &RVPWNotesCell::clicked, this, [this] { editNotes(); });
    connect(back_, &QPushButton::clicked, this, &RVPWLibraryDetailsController::finish);
}

RVPWLibraryDetailsController::~RVPWLibraryDetailsController() {
    delete notesEditor_.data();
}

LongTextFieldViewController* RVPWLibraryDetailsController::notesEditor() const {
    return notesEditor_;
}

LongTextFieldViewController* RVPWLibraryDetailsController::editNotes() {
    captionCell_->commit();
    if (notesEditor_) {
        return notesEditor_;
    }
    auto* editor = new LongTextFieldViewController(device_, tr("Notes"), expression_.notes());
    editor->setDelegate(this);
    notesEditor_ = editor;
    NavigationStack::present(editor, this);
    return editor;
}

void RVPWLibraryDetailsController::takeNewString(const QString& notes) {
    notesCell_->setText(notes);
    if (notes == expression_.notes()) {
        return;
    }
    expression_.setNotes(notes);
    emit detailsChanged();
}

void RVPWLibraryDetailsController::finish() {
    captionCell_->commit();
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
