#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <memory>

#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "equations/EquationListModel.h"

namespace plotwise {
namespace {

class EquationListModelTest : public ::testing::Test {
protected:
    std::unique_ptr<RVEquation> equation(const char16_t* text) {
        RVParser parser;
        return RVEquation::equationWithOperationTree(parser.parse(text, table.data()));
    }
    QStringList texts() const {
        QStringList result;
        for (int row = 0; row < model.rowCount(); ++row) {
            result.append(
                model.data(model.index(row), EquationListModel::SourceTextRole).toString());
        }
        return result;
    }
    void fill() {
        for (const char16_t* text : {u"y=x", u"y=2x", u"y=3x", u"y=4x"}) {
            model.appendEquation(equation(text));
        }
    }

    VariableTable table{};
    EquationListModel model;
    // Checks every signal against the model's state as it changes (fatal on a broken contract).
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(EquationListModelTest, InsertRemoveReplaceAndMoveKeepOrderAndOwnership) {
    fill();
    model.insertEquation(1, equation(u"y=x^2"));
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=x^2", "y=2x", "y=3x", "y=4x"}));
    const auto old = model.replaceEquation(0, equation(u"r=1"));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(QString::fromStdU16String(old->expression()->expressionString()), "y=x");
    EXPECT_TRUE(model.removeRows(1, 2));
    EXPECT_EQ(texts(), (QStringList{"r=1", "y=3x", "y=4x"}));

    // Down past the next row, up to the top, and the refused moves onto themselves.
    EXPECT_TRUE(model.moveRows({}, 0, 1, {}, 2));
    EXPECT_EQ(texts(), (QStringList{"y=3x", "r=1", "y=4x"}));
    EXPECT_TRUE(model.moveRows({}, 2, 1, {}, 0));
    EXPECT_EQ(texts(), (QStringList{"y=4x", "y=3x", "r=1"}));
    EXPECT_FALSE(model.moveRows({}, 1, 1, {}, 1));
    EXPECT_FALSE(model.moveRows({}, 1, 1, {}, 2));
    EXPECT_FALSE(model.moveRows({}, 0, 4, {}, 0));

    const RVEquation* last = model.equationAt(2);
    EXPECT_EQ(model.rowOf(last), 2);
    auto taken = model.takeEquation(2);
    EXPECT_EQ(taken.get(), last);
    EXPECT_EQ(model.rowOf(last), -1);
    EXPECT_EQ(model.equationAt(2), nullptr);
    EXPECT_EQ(model.takeEquation(5), nullptr);
    EXPECT_FALSE(model.removeRows(1, 5));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(EquationListModelTest, RolesReadAndWriteTheEquationAndAnnounceTheChange) {
    fill();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const QModelIndex second = model.index(1);
    struct Row {
        int role;
        QVariant value;
    };
    const Row rows[] = {
        {Qt::CheckStateRole, Qt::Unchecked},
        {EquationListModel::ColorRole, QColor(10, 20, 30)},
        {EquationListModel::CaptionRole, QStringLiteral("slope two")},
        {EquationListModel::NotesRole, QStringLiteral("steeper")},
        {EquationListModel::MarkRole, true},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(model.setData(second, row.value, row.role)) << row.role;
        EXPECT_EQ(model.data(second, row.role), row.value) << row.role;
        ASSERT_EQ(changed.size(), 1);
        EXPECT_EQ(changed[0][0].toModelIndex(), second);
        EXPECT_EQ(changed[0][2].value<QList<int>>(), QList<int>{row.role});
        changed.clear();
    }
    const RVEquation* equation = model.equationAt(1);
    EXPECT_FALSE(equation->visible());
    EXPECT_EQ(equation->caption(), "slope two");
    EXPECT_EQ(model.data(second, Qt::AccessibleTextRole).toString(), "slope two: y=2x");
    // Text is not edited in place, and nothing is set out of range.
    EXPECT_FALSE(model.setData(second, QStringLiteral("y=5x"), Qt::EditRole));
    EXPECT_FALSE(model.setData(model.index(7), true, EquationListModel::MarkRole));
    EXPECT_TRUE(changed.isEmpty());

    // The saved states follow the rows and carry the changes.
    const QVariantList states = model.dictionariesWithState();
    ASSERT_EQ(states.size(), 4);
    EXPECT_EQ(states[1].toMap().value(RVEquation::expressionCaptionKey), "slope two");
    EXPECT_EQ(states[1].toMap().value(RVEquation::expressionVisibleKey), false);
    EXPECT_EQ(states[3].toMap().value(RVEquation::expressionStringKey), "y=4x");
}

}  // namespace
}  // namespace plotwise
