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

    VariableTable table{};
    QString path;
};

// Saving both planes, their view states (the 2D one marked as tracing) and their restoring are
// checked value for value by the preference sample (ProcessTest), across processes and locales.

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
