#pragma once

#include <QColor>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>

#include "app/screens/details/RVPWDefaultColorViewController.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace plotwise {

class EquationListModel;
class RVPWColorSwatchView;
class RVPWLabelCell;
class RVPWExpressionDetailsViewController;

// The owner of Graph Settings makes the changes (so they can be undone).
class RVPWExpressionDetailsDelegate {
public:
    virtual ~RVPWExpressionDetailsDelegate() = default;
    virtual void expressionDetailsControllerDidChangeCaption(
        RVPWExpressionDetailsViewController* details, const QString& caption) = 0;
    // `continuing` for the moves of a picker drag after its first change.
    virtual void expressionDetailsControllerDidChangeColor(
        RVPWExpressionDetailsViewController* details, const QColor& color, bool continuing) = 0;
};

// "Graph Settings" of one equation: its formula, its caption ("None" when empty) and its colour
// from the palette or "More Colors". It follows the equation, not a row number, and closes
// itself when the equation goes. A caption typed but not confirmed is kept when it closes.
class RVPWExpressionDetailsViewController : public QWidget {
    Q_OBJECT

public:
    RVPWExpressionDetailsViewController(EquationListModel& model, const QModelIndex& expression,
                                        bool displayExpression, QWidget* parent = nullptr);
    ~RVPWExpressionDetailsViewController() override;

    void setDelegate(RVPWExpressionDetailsDelegate* delegate) { delegate_ = delegate; }
    const QPersistentModelIndex& expressionIndex() const { return expression_; }
    QLineEdit* captionField() const;
    RVPWLabelCell* captionCell() const { return captionCell_; }
    RVPWColorSwatchView* swatchView() const { return swatchView_; }
    QPushButton* moreColorsButton() const { return moreColors_; }
    QLabel* formulaView() const { return formulaView_; }
    RVPWDefaultColorViewController* colorController() const { return colorController_; }

    // Pushes "Graph Color" with the equation's colour.
    RVPWDefaultColorViewController* showMoreColors();
    // Keeps the caption and takes this screen (and any above it) off its stack.
    void closeScreen();

    // What a popover gives it below the bar: 320 by 330 without the formula, else the formula
    // row + 350 high.
    QSize sizeHint() const override;

protected:
    void hideEvent(QHideEvent* event) override;
    // Escape goes back, keeping the caption.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void commitCaption();
    void writeCaption(const QString& caption);
    void changeColor(const QColor& color, bool continuing);
    void refresh();
    void dismiss();

    EquationListModel& model_;
    QPersistentModelIndex expression_;
    RVPWExpressionDetailsDelegate* delegate_ = nullptr;
    QLabel* formulaView_ = nullptr;
    RVPWLabelCell* captionCell_;
    RVPWColorSwatchView* swatchView_;
    QPushButton* moreColors_;
    QWidget* bar_ = nullptr;
    QPushButton* back_ = nullptr;
    QPointer<RVPWDefaultColorViewController> colorController_;
    bool dismissing_ = false;
};

}  // namespace plotwise
