#include "app/input/RVPWPadExpressionEditorViewController.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/input/FormulaPreviewView.h"
#include "app/input/RVPWKeyboardView.h"
#include "app/input/RVTextField.h"
#include "typeset/RVPWErrorIndicatorView.h"

namespace plotwise {

namespace {

constexpr int kFormulaHeight = 52;
constexpr int kKeyboardHeight = 300;
constexpr int kFieldHeight = 38;

}  // namespace

RVPWPadExpressionEditorViewController::RVPWPadExpressionEditorViewController(
    ApplicationContext& context, double* vars, bool is3D, QWidget* parent)
    : RVPWExpressionInputController(context, vars, is3D, parent, Qt::Popup),
      doneButton_(new QPushButton(tr("Done"))) {
    setObjectName(QStringLiteral("RVPWPadExpressionEditorViewController"));
    setStyleSheet(
        QStringLiteral("#RVPWPadExpressionEditorViewController { background: rgb(206, 210, 218);"
                       " border: 1px solid rgb(40, 40, 44); }"));
    doneButton_->setFocusPolicy(Qt::NoFocus);
    doneButton_->setEnabled(false);
    connect(doneButton_, &QPushButton::clicked, this, &RVPWPadExpressionEditorViewController::done);

    textField()->setFixedHeight(kFieldHeight);
    errorView()->setFixedHeight(fieldRowHeight - kFieldHeight - 2);
    auto* fieldRow = new QHBoxLayout;
    fieldRow->setContentsMargins(6, 2, 6, 0);
    fieldRow->addWidget(textField(), 1);
    fieldRow->addWidget(viewMore());
    fieldRow->addWidget(doneButton_);
    formulaView()->setFixedHeight(kFormulaHeight);
    derivativeView()->setFixedHeight(derivativePanelHeight);
    keyboardView()->setFixedHeight(kKeyboardHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(fieldRow);
    layout->addWidget(errorView());
    layout->addWidget(formulaView());
    layout->addWidget(derivativeView());
    layout->addWidget(keyboardView());
    fitHeight();
}

QAbstractButton* RVPWPadExpressionEditorViewController::doneButton() const {
    return doneButton_;
}

void RVPWPadExpressionEditorViewController::fitHeight() {
    const int panel = isDerivativePanelOpen() ? derivativePanelHeight : 0;
    setFixedSize(editorWidth, fieldRowHeight + panel + kFormulaHeight + kKeyboardHeight);
}

void RVPWPadExpressionEditorViewController::derivativePanelChanged() {
    fitHeight();
    if (isVisible() && anchor_.isValid()) {
        present(nullptr, QRect());
    }
}

void RVPWPadExpressionEditorViewController::present(QWidget* origin, const QRect& anchor) {
    if (origin != nullptr) {
        anchor_ = QRect(origin->mapToGlobal(anchor.topLeft()), anchor.size());
    }
    // Above the add button when there is room, else below it, kept on the screen.
    const QScreen* screen = QGuiApplication::screenAt(anchor_.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 4096, 4096);
    QPoint position(anchor_.center().x() - width() / 2, anchor_.top() - height());
    if (position.y() < area.top()) {
        position.setY(anchor_.bottom());
    }
    position.setX(qBound(area.left(), position.x(), qMax(area.left(), area.right() - width())));
    position.setY(qBound(area.top(), position.y(), qMax(area.top(), area.bottom() - height())));
    move(position);
    show();
    raise();
    textField()->setFocus(Qt::PopupFocusReason);
}

void RVPWPadExpressionEditorViewController::dismiss() {
    dismissed_ = true;
    close();
    deleteLater();
}

void RVPWPadExpressionEditorViewController::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // A press outside the popup closes it: that is a cancel.
    if (!dismissed_) {
        cancel();
    }
}

}  // namespace plotwise
