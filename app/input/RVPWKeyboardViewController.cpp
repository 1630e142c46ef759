#include "app/input/RVPWKeyboardViewController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "app/input/FormulaPreviewView.h"
#include "app/input/RVPWKeyboardView.h"
#include "app/input/RVTextField.h"
#include "app/screens/steps/RVPWDerivativeStepController.h"
#include "app/shell/NavigationStack.h"
#include "typeset/RVPWErrorIndicatorView.h"

namespace plotwise {

namespace {

constexpr int kBarHeight = 44;
constexpr int kFormulaHeight = 56;
constexpr int kDerivativeHeight = 100;

NavigationStack* stackOf(QWidget* widget) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto* stack = qobject_cast<NavigationStack*>(w)) {
            return stack;
        }
    }
    return nullptr;
}

}  // namespace

RVPWKeyboardViewController::RVPWKeyboardViewController(ApplicationContext& context, double* vars,
                                                       bool is3D, QWidget* parent)
    : RVPWExpressionInputController(context, vars, is3D, parent),
      cancelButton_(new QPushButton(tr("Cancel"))),
      doneButton_(new QPushButton(tr("Done"))),
      titleLabel_(new QLabel) {
    setObjectName(QStringLiteral("RVPWKeyboardViewController"));
    setStyleSheet(QStringLiteral(
        "#RVPWKeyboardViewController { background: rgb(206, 210, 218); }"
        "#keyboardBar { background: rgb(20, 20, 22); }"
        "#keyboardBar QLabel { color: white; font-weight: bold; font-size: 17px; }"
        "#keyboardBar QPushButton { color: white; background: rgb(60, 60, 66);"
        " border: 1px solid black; border-radius: 5px; padding: 5px 12px; font-weight: bold; }"
        "#keyboardBar QPushButton:disabled { color: rgb(120, 120, 120); }"
        "#keyboardBar QPushButton:pressed { background: rgb(30, 30, 34); }"));
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("keyboardBar"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setFixedHeight(kBarHeight);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(6, 4, 6, 4);
    for (QPushButton* button : {cancelButton_, doneButton_}) {
        button->setFocusPolicy(Qt::NoFocus);
    }
    doneButton_->setEnabled(false);
    titleLabel_->setAlignment(Qt::AlignCenter);
    barLayout->addWidget(cancelButton_);
    barLayout->addWidget(titleLabel_, 1);
    barLayout->addWidget(doneButton_);
    connect(cancelButton_, &QPushButton::clicked, this, &RVPWKeyboardViewController::cancel);
    connect(doneButton_, &QPushButton::clicked, this, &RVPWKeyboardViewController::done);

    // After the panel opened (connected first), the steps follow over the keyboard.
    connect(viewMore(), &QAbstractButton::clicked, this,
            &RVPWKeyboardViewController::openDerivativeSteps);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->setContentsMargins(8, 8, 8, 0);
    fieldRow->addWidget(textField());
    fieldRow->addWidget(viewMore());
    formulaView()->setFixedHeight(kFormulaHeight);
    derivativeView()->setFixedHeight(kDerivativeHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addLayout(fieldRow);
    layout->addWidget(errorView());
    layout->addWidget(formulaView());
    layout->addWidget(derivativeView());
    layout->addWidget(keyboardView(), 1);
}

void RVPWKeyboardViewController::setTitle(const QString& title) {
    RVPWExpressionInputController::setTitle(title);
    titleLabel_->setText(title);
}

QString RVPWKeyboardViewController::title() const {
    return titleLabel_->text();
}

QAbstractButton* RVPWKeyboardViewController::doneButton() const {
    return doneButton_;
}

QAbstractButton* RVPWKeyboardViewController::cancelButton() const {
    return cancelButton_;
}

RVPWDerivativeStepController* RVPWKeyboardViewController::derivativeStepScreen() const {
    return derivativeSteps_;
}

RVPWDerivativeStepController* RVPWKeyboardViewController::openDerivativeSteps() {
    if (!isDerivativePanelOpen()) {
        return nullptr;
    }
    if (derivativeSteps_ != nullptr) {
        return derivativeSteps_;
    }
    auto* steps = new RVPWDerivativeStepController(textField()->text());
    derivativeSteps_ = steps;
    connect(steps, &RVPWDerivativeStepController::done, this, [steps] {
        NavigationStack::dismiss(steps);
        steps->deleteLater();
    });
    NavigationStack::present(steps, this);
    return steps;
}

void RVPWKeyboardViewController::present(QWidget* origin, const QRect&) {
    if (NavigationStack* stack = stackOf(origin)) {
        stack->push(this);
    } else {
        show();
    }
    textField()->setFocus(Qt::OtherFocusReason);
}

void RVPWKeyboardViewController::dismiss() {
    NavigationStack* stack = stackOf(this);
    if (stack != nullptr && stack->topScreen() == this) {
        stack->pop();
    } else {
        hide();
    }
    deleteLater();
}

void RVPWKeyboardViewController::resizeEvent(QResizeEvent* event) {
    RVPWExpressionInputController::resizeEvent(event);
    // Wider than tall is landscape.
    keyboardView()->setLandscape(event->size().width() > event->size().height());
}

}  // namespace plotwise
