#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <memory>
#include <string_view>

#include "app/context/ApplicationContext.h"
#include "app/input/RVPWKeyboardViewController.h"
#include "app/input/RVTextField.h"
#include "app/screens/list/RVPWExpressionCell.h"
#include "app/screens/steps/RVPWDerivativeStepController.h"
#include "app/shell/NavigationStack.h"
#include "engine/RVParser.h"
#include "equations/EquationListModel.h"

namespace plotwise {
namespace {

// The printed form parses back to a tree that prints the same.
bool reparses(const QString& text) {
    std::array<double, 6> table{};
    RVParser parser;
    auto tree = parser.parse(text.toStdU16String(), table.data());
    return tree != nullptr && QString::fromStdU16String(tree->description()) == text;
}

TEST(DerivativeStepsScreen, ListsOnePassPerRowEndingAtAResultThatReparses) {
    struct Case {
        const char* input;
        int minimumSteps;
        const char* last;  // "" when any result will do
    };
    const Case cases[] = {
        {"d/dx(x)", 2, "1"},
        {"d/dx(x^2)", 3, "2⋅x"},
        {"y=d/dx(x^2*sin(x))", 4, ""},
        {"d/dx(5)", 2, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        RVPWDerivativeStepController screen(QString::fromUtf8(c.input));
        EXPECT_EQ(screen.windowTitle(), QStringLiteral("Derivative Steps"));
        EXPECT_TRUE(screen.errorText().isEmpty());
        const QStringList steps = screen.stepTexts();
        ASSERT_GE(steps.size(), c.minimumSteps);
        EXPECT_TRUE(steps.front().contains(QStringLiteral("d/dx")));
        EXPECT_FALSE(steps.back().contains(QStringLiteral("d/dx")));
        if (std::string_view(c.last) != "") {
            EXPECT_EQ(steps.back(), QString::fromUtf8(c.last));
        }
        for (const QString& step : steps) {
            EXPECT_TRUE(reparses(step)) << step.toStdString();
        }
        // One row per step, each with its formula and nothing to touch.
        QAbstractItemModel* model = screen.listView()->model();
        ASSERT_EQ(model->rowCount(), steps.size());
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            EXPECT_FALSE(index.data(EquationListModel::FormulaImageRole).value<QImage>().isNull());
            EXPECT_FALSE(index.flags() & Qt::ItemIsSelectable);
        }
        EXPECT_EQ(screen.listView()->selectionMode(), QAbstractItemView::NoSelection);
        EXPECT_NE(qobject_cast<RVPWExpressionCell*>(screen.listView()->itemDelegate()), nullptr);
    }
}

TEST(DerivativeStepsScreen, TheStepsOfASquareAreTheWorkedExample) {
    RVPWDerivativeStepController screen(QStringLiteral("d/dx(x^2)"));
    EXPECT_EQ(screen.stepTexts(),
              QStringList({QStringLiteral("d/dx(x^2)"),
                           QStringLiteral("(2)⋅(x)^((2)-1)⋅d/dx(x)+(x)^(2)⋅ln(x)⋅d/dx(2)"),
                           QStringLiteral("2⋅x")}));
}

TEST(DerivativeStepsScreen, TextThatDoesNotParseShowsTheMessageAndNoRows) {
    RVPWDerivativeStepController screen(QStringLiteral("d/dx(x"));
    EXPECT_EQ(screen.stepCount(), 0);
    EXPECT_EQ(screen.listView()->model()->rowCount(), 0);
    EXPECT_FALSE(screen.errorText().isEmpty());
    QSignalSpy done(&screen, &RVPWDerivativeStepController::done);
    screen.doneButton()->click();
    EXPECT_EQ(done.count(), 1);
}

TEST(DerivativeStepsScreen, TheKeyboardsMoreButtonOpensItOverTheKeyboardForADerivative) {
    QTemporaryDir folder;
    PreferenceStore store(folder.filePath(QStringLiteral("p.plist")));
    NotificationCenter center;
    ApplicationContext context(store, center, DeviceClass::Phone);
    context.settings().registerDefaults();
    std::array<double, 6> table{};
    NavigationStack stack;
    auto* root = new QWidget;
    stack.push(root);
    auto* keyboard = new RVPWKeyboardViewController(context, table.data(), false);
    keyboard->present(root, QRect());
    stack.resize(400, 700);
    stack.show();

    // No derivative: the button stays hidden and nothing opens.
    keyboard->textField()->setText(QStringLiteral("y=x^2"));
    keyboard->parseSource();
    EXPECT_FALSE(keyboard->viewMore()->isVisibleTo(keyboard));
    EXPECT_EQ(keyboard->openDerivativeSteps(), nullptr);

    keyboard->textField()->setText(QStringLiteral("y=d/dx(x^2)"));
    keyboard->parseSource();
    ASSERT_TRUE(keyboard->viewMore()->isVisibleTo(keyboard));
    keyboard->viewMore()->click();
    // What the button did before stays: the derivative panel opens.
    EXPECT_TRUE(keyboard->isDerivativePanelOpen());
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
