#pragma once

#include <QPointer>

#include "app/input/RVPWExpressionInputController.h"

class QLabel;
class QPushButton;

namespace plotwise {

class RVPWDerivativeStepController;

// The phone's expression screen, pushed on the navigation stack: a black bar with Cancel, the
// title and Done over the field, the result line with the error marker, the formula and the
// keys. Its keys follow the screen's shape, relaid out when a resize changes it.
class RVPWKeyboardViewController : public RVPWExpressionInputController {
    Q_OBJECT

public:
    RVPWKeyboardViewController(ApplicationContext& context, double* vars, bool is3D,
                               QWidget* parent = nullptr);

    void setTitle(const QString& title) override;
    QString title() const;
    QAbstractButton* doneButton() const override;
    QAbstractButton* cancelButton() const;

    // The steps of the field's derivative, over the keyboard; null when the text holds none.
    RVPWDerivativeStepController* openDerivativeSteps();
    RVPWDerivativeStepController* derivativeStepScreen() const;

    void present(QWidget* origin, const QRect& anchor) override;
    void dismiss() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* cancelButton_;
    QPushButton* doneButton_;
    QLabel* titleLabel_;
    QPointer<RVPWDerivativeStepController> derivativeSteps_;
};

}  // namespace plotwise
