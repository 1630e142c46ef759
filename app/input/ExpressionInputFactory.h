#pragma once

#include <QString>

class QWidget;

namespace plotwise {

class ApplicationContext;
class RVPWExpressionInputController;
class RVPWKeyboardViewControllerDelegate;

// The expression screen for the device: the phone's keyboard screen or the tablet's editor,
// set up to edit `initialExpression` (or a new equation) against `vars`, not yet shown.
// `parent` owns the tablet's popup until it is dismissed.
RVPWExpressionInputController* makeExpressionInput(ApplicationContext& context, double* vars,
                                                   bool is3D, const QString& title,
                                                   const QString& initialExpression,
                                                   RVPWKeyboardViewControllerDelegate* delegate,
                                                   QWidget* parent);

}  // namespace plotwise
