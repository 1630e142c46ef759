#include <gtest/gtest.h>

#include "StorageTestSupport.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/WorkspaceStorage.h"
#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "equations/RVEquation.h"

namespace plotwise {
namespace {

using testing::sameValue;
using Plane = WorkspaceStorage::Plane;

QVariantMap state(const char* source, const char* color, bool visible, const char* caption) {
    QVariantMap s;
    s.insert("expressionString", QString::fromUtf8(source));
    s.insert("expressionColor", QString::fromLatin1(color));
    s.insert("expressionVisibile", visible);
    s.insert("expressionCaption", QString::fromUtf8(caption));
    s.insert("expressionNotes", QStringLiteral("notes <&>"));
    return s;
}

class WorkspaceStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::clearStorageFolders();
        path = testing::configFolder() + QStringLiteral("/preferences.plist");
    }

    std::vector<std::unique_ptr<RVEquation>> equations(const QVariantList& states) {
        std::vector<std::unique_ptr<RVEquation>> result;
        for (const QVariant& s : states) {
            result.push_back(RVEquation::equationWithStateFromDictionary(s.toMap(), table.data()));
        }
        return result;
    }

    VariableTable table{};
    QString path;
};

TEST_F(WorkspaceStorageTest, SavingA2DPlaneStoresItsEquationsViewAndFront) {
    PreferenceStore store(path);
    const QVariantList states = {state("y=x^2", "FF0000", true, "a"),
                                 state("r=Θ", "00FF0080", false, "π"),
                                 state("y<sin(x)", "12345680", true, "")};
    QVariantMap view;
    view.insert("scrollX", 0.1);
    view.insert("scrollY", -3.25);
    view.insert("pixelUnitRatioX", 32.000000000000014);
    view.insert("tracing", false);
    ASSERT_TRUE(WorkspaceStorage::savePlane(store, Plane::TwoD, equations(states), view));

    PreferenceStore next(path);
    QString where;
    EXPECT_TRUE(sameValue(next.value("currentExpressions2D"), states, &where))
        << where.toStdString();
    QVariantMap expectedView = view;
    expectedView.insert("tracing", true);
    EXPECT_TRUE(sameValue(next.value("viewState2D"), expectedView, &where)) << where.toStdString();
    EXPECT_EQ(next.value("is3DViewVisible").typeId(), QMetaType::Bool);
    EXPECT_FALSE(WorkspaceStorage::is3DViewVisible(next));
    EXPECT_FALSE(next.value("currentExpressions3D").isValid());
}

TEST_F(WorkspaceStorageTest, SavingA3DPlaneKeepsItsViewStateUnchanged) {
    PreferenceStore store(path);
    QVariantMap view;
    view.insert("rotation", QVariantList{0.5, -0.25, 1e-9, 1.0});
    view.insert("tracing", false);
    const QVariantList states = {state("z=x⋅y", "0000FF", true, "saddle")};
    ASSERT_TRUE(WorkspaceStorage::savePlaneStates(store, Plane::ThreeD, states, view));
    PreferenceStore next(path);
    QString where;
    EXPECT_TRUE(sameValue(WorkspaceStorage::storedViewState(next, Plane::ThreeD), view, &where))
        << where.toStdString();
    EXPECT_TRUE(
        sameValue(WorkspaceStorage::storedEquationStates(next, Plane::ThreeD), states, &where))
        << where.toStdString();
    EXPECT_TRUE(WorkspaceStorage::is3DViewVisible(next));
}

TEST_F(WorkspaceStorageTest, ThePlaneSavedLastIsInFront) {
    PreferenceStore store(path);
    EXPECT_TRUE(WorkspaceStorage::storedEquationStates(store, Plane::TwoD).isEmpty());
    EXPECT_TRUE(WorkspaceStorage::storedViewState(store, Plane::ThreeD).isEmpty());
    EXPECT_FALSE(WorkspaceStorage::is3DViewVisible(store));
    ASSERT_TRUE(WorkspaceStorage::savePlaneStates(store, Plane::TwoD, {}, {}));
    ASSERT_TRUE(WorkspaceStorage::savePlaneStates(store, Plane::ThreeD, {}, {}));
    EXPECT_TRUE(WorkspaceStorage::is3DViewVisible(PreferenceStore(path)));
    ASSERT_TRUE(WorkspaceStorage::savePlaneStates(store, Plane::TwoD, {}, {}));
    EXPECT_FALSE(WorkspaceStorage::is3DViewVisible(PreferenceStore(path)));
    // Both planes' equations stay stored.
    EXPECT_TRUE(store.value("currentExpressions3D").isValid());
}

TEST_F(WorkspaceStorageTest, RestoringSkipsEntriesThatGiveNoEquation) {
    PreferenceStore store(path);
    const QVariantList stored = {
        state("y=x", "FF0000", true, "first"),
        state("y=(", "FF0000", true, "unparseable"),
        QStringLiteral("y=x^2"),
        qlonglong(3),
        QVariantMap(),
        state("r=2", "00FF00", false, "last"),
    };
    ASSERT_TRUE(store.setValue("currentExpressions2D", stored));

    std::vector<std::unique_ptr<RVEquation>> plane;
    const int skipped = WorkspaceStorage::restoreEquations(
        WorkspaceStorage::storedEquationStates(PreferenceStore(path), Plane::TwoD), table.data(),
        &RVEquation::equationWithStateFromDictionary,
        [&plane](std::unique_ptr<RVEquation> equation) { plane.push_back(std::move(equation)); });
    EXPECT_EQ(skipped, 4);
    ASSERT_EQ(plane.size(), 2u);
    EXPECT_EQ(plane[0]->dictionaryWithState(), stored[0].toMap());
    EXPECT_EQ(plane[1]->dictionaryWithState(), stored[5].toMap());
}

}  // namespace
}  // namespace plotwise
