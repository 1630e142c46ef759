#include <gtest/gtest.h>

#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <array>

#include "AppFixture.h"
#include "app/input/RVPWKeyboardViewController.h"
#include "app/input/RVTextField.h"
#include "app/screens/list/RVPWExpressionCell.h"
#include "app/screens/steps/RVPWDerivativeStepController.h"
#include "engine/RVParser.h"
#include "equations/EquationListModel.h"

namespace plotwise {
namespace {

// Whether `text` parses back to a tree that prints the same.
bool reparses(const QString& text) {
    std::array<double, 6> table{};
    RVParser parser;
    auto tree = parser.parse(text.toStdU16String(), table.data());
    return tree != nullptr && QString::fromStdU16String(tree->description()) == text;
}

TEST(DerivativeStepsScreen, ListsOnePassPerDrawnRowEndingAtAResultThatReparses) {
    RVPWDerivativeStepController screen(QStringLiteral("y=d/dx(x^2*sin(x))"));
    EXPECT_TRUE(screen.errorText().isEmpty());
    const QStringList steps = screen.stepTexts();
    ASSERT_GE(steps.size(), 4);
    EXPECT_EQ(steps.front(), QStringLiteral("y=d/dx(x^2⋅sin(x))"));
    EXPECT_FALSE(steps.back().contains(QStringLiteral("d/d")));
    for (const QString& step : steps) {
        EXPECT_TRUE(reparses(step)) << step.toStdString();
    }
    QListView* list = screen.listView();
    EXPECT_NE(qobject_cast<RVPWExpressionCell*>(list->itemDelegate()), nullptr);
    ASSERT_EQ(list->model()->rowCount(), steps.size());
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        EXPECT_FALSE(index.flags() & Qt::ItemIsSelectable);
        EXPECT_FALSE(index.data(EquationListModel::FormulaImageRole).value<QImage>().isNull());
    }

    // A text that does not parse: its message and no rows.
    RVPWDerivativeStepController broken(QStringLiteral("d/dx(x"));
    EXPECT_EQ(broken.listView()->model()->rowCount(), 0);
    EXPECT_FALSE(broken.errorText().isEmpty());
}

// The keyboard's View More opens the steps over the keyboard; Done returns to it.
using DerivativeStepsOverTheKeyboard = testing::AppFixture;
TEST_F(DerivativeStepsOverTheKeyboard, OpensFromViewMoreAndDoneReturns) {
    std::array<double, 6> table{};
    NavigationStack stack;
    auto* root = new QWidget;
    stack.push(root);
    auto* keyboard = new RVPWKeyboardViewController(*context_, table.data(), false);
    keyboard->present(root, QRect());
    stack.resize(400, 700);
    stack.show();
    keyboard->textField()->setText(QStringLiteral("y=d/dx(x^2)"));
    keyboard->parseSource();
    keyboard->viewMore()->click();
    RVPWDerivativeStepController* steps = keyboard->derivativeStepScreen();
    ASSERT_NE(steps, nullptr);
    EXPECT_EQ(stack.topScreen(), steps);
    EXPECT_EQ(steps->stepTexts().front(), QStringLiteral("y=d/dx(x^2)"));
    steps->doneButton()->click();
    EXPECT_EQ(stack.topScreen(), keyboard);
    QTRY_COMPARE(keyboard->derivativeStepScreen(), nullptr);
    EXPECT_EQ(keyboard->textField()->text(), QStringLiteral("y=d/dx(x^2)"));
}

}  // namespace
}  // namespace plotwise
