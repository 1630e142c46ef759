#include "app/input/ExpressionInputFactory.h"

#include "app/context/ApplicationContext.h"
#include "app/input/RVPWKeyboardViewController.h"
#include "app/input/RVPWPadExpressionEditorViewController.h"

namespace plotwise {

RVPWExpressionInputController* makeExpressionInput(ApplicationContext& context, double* vars,
                                                   bool is3D, const QString& title,
                                                   const QString& initialExpression,
                                                   RVPWKeyboardViewControllerDelegate* delegate,
                                                   QWidget* parent) {
    RVPWExpressionInputController* input = nullptr;
    if (context.deviceClass() == DeviceClass::Tablet) {
        input = new RVPWPadExpressionEditorViewController(context, vars, is3D, parent);
    } else {
        // The navigation stack takes it when it is presented.
        input = new RVPWKeyboardViewController(context, vars, is3D);
    }
    input->setTitle(title);
    input->setInitialExpression(initialExpression);
    input->setDelegate(delegate);
    return input;
}

}  // namespace plotwise
