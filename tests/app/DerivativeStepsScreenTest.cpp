#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <array>

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

// Whether `text` parses back to a tree that prints the same.
bool reparses(const QString& text) {
    std::array<double, 6> table{};
    RVParser parser;
    auto tree = parser.parse(text.toStdU16String(), table.data());
    return tree != nullptr && QString::fromStdU16String(tree->description()) == text;
}

TEST(DerivativeStepsScreen, ListsOnePassPerDrawnRowEndingAtAResultThatReparses) {
    const QStringList square{QStringLiteral("d/dx(x^2)"),
                             QStringLiteral("(2)⋅(x)^((2)-1)⋅d/dx(x)+(x)^(2)⋅ln(x)⋅d/dx(2)"),
                             QStringLiteral("2⋅x")};
    EXPECT_EQ(RVPWDerivativeStepController(square[0]).stepTexts(), square);
    EXPECT_EQ(RVPWDerivativeStepController(QStringLiteral("d/dx(x)")).stepTexts(),
              QStringList({QStringLiteral("d/dx(x)"), QStringLiteral("1")}));

    RVPWDerivativeStepController screen(QStringLiteral("y=d/dx(x^2*sin(x))"));
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("Derivative Steps"));
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
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::NoSelection);
    ASSERT_EQ(list->model()->rowCount(), steps.size());

    screen.resize(420, 900);
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    const QImage image = screen.grab().toImage();
    if (const QString folder = qEnvironmentVariable("PLOTWISE_SCREENSHOT_DIR"); !folder.isEmpty()) {
        image.save(QDir(folder).filePath(QStringLiteral("steps.png")));
    }
    // The rows show their formulas: ink all the way down the first rows.
    int inkedLines = 0;
    for (int y = list->mapTo(&screen, QPoint()).y(); y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 80) {
                ++inkedLines;
                break;
            }
        }
    }
    EXPECT_GT(inkedLines, 10 * list->model()->rowCount());
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        EXPECT_FALSE(index.flags() & Qt::ItemIsSelectable);
        EXPECT_FALSE(index.data(EquationListModel::FormulaImageRole).value<QImage>().isNull());
    }
}

TEST(DerivativeStepsScreen, TextThatDoesNotParseShowsTheMessageAndNoRows) {
    RVPWDerivativeStepController screen(QStringLiteral("d/dx(x"));
    EXPECT_EQ(screen.stepCount(), 0);
    EXPECT_EQ(screen.listView()->model()->rowCount(), 0);
    EXPECT_FALSE(screen.errorText().isEmpty());
}

TEST(DerivativeStepsScreen, TheKeyboardsViewMoreOpensItOverTheKeyboardAndDoneReturns) {
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

    keyboard->textField()->setText(QStringLiteral("y=x^2"));
    keyboard->parseSource();
    EXPECT_FALSE(keyboard->viewMore()->isVisibleTo(keyboard));
    EXPECT_EQ(keyboard->openDerivativeSteps(), nullptr) << "no derivative, no steps";

    keyboard->textField()->setText(QStringLiteral("y=d/dx(x^2)"));
    keyboard->parseSource();
    ASSERT_TRUE(keyboard->viewMore()->isVisibleTo(keyboard));
    keyboard->viewMore()->click();
    EXPECT_TRUE(keyboard->isDerivativePanelOpen()) << "the panel opens as before";
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
