#pragma once

#include "app/input/RVPWExpressionInputController.h"

class QPushButton;

namespace plotwise {

// The tablet's expression editor: a popup at the add button, 640 wide, its field row 68 high
// (168 with the derivative panel open), with the keys inside it, since a popup closes at any
// press outside it. Closing it cancels.
class RVPWPadExpressionEditorViewController : public RVPWExpressionInputController {
    Q_OBJECT

public:
    static constexpr int editorWidth = 640;
    static constexpr int fieldRowHeight = 68;
    static constexpr int derivativePanelHeight = 100;

    RVPWPadExpressionEditorViewController(ApplicationContext& context, double* vars, bool is3D,
                                          QWidget* parent = nullptr);

    QAbstractButton* doneButton() const override;

    void present(QWidget* origin, const QRect& anchor) override;
    void dismiss() override;

protected:
    void derivativePanelChanged() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void fitHeight();

    QPushButton* doneButton_;
    QRect anchor_;
    bool dismissed_ = false;
};

}  // namespace plotwise
