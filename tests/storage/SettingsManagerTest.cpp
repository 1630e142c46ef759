#include <gtest/gtest.h>

#include <QFile>

#include "StorageTestSupport.h"
#include "app/storage/LibraryStorage.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/PropertyList.h"
#include "app/storage/RVPWSettingsManager.h"
#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "equations/ColorText.h"
#include "equations/RVEquation.h"

namespace plotwise {
namespace {

using testing::folderEntries;
using testing::writeBytes;

class SettingsManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::clearStorageFolders();
        settings.registerDefaults();
    }

    static PreferenceStore& store() { return PreferenceStore::standard(); }
    const RVPWSettingsManager settings{store()};
};

// A fresh install reads the defaults and writes nothing; each accessor reads its own key, afresh:
// flip one key at a time and only its accessor moves.
TEST_F(SettingsManagerTest, EachAccessorReadsItsKeyAfresh) {
    struct Accessor {
        const char* key;
        bool (RVPWSettingsManager::*read)() const;
        bool fresh;
    };
    using S = RVPWSettingsManager;
    const std::vector<Accessor> accessors = {
        {"enableShakesKey", &S::shakeEnabled, true},
        {"phoneHidesToolbarKey", &S::canHideToolbar, false},
        {"useRandomDefaultColorKey", &S::useRandomDefaultColor, true},
        {"enableKeyboardClicksKey", &S::useKeyboardClicks, true},
        {"useDarkBackground2DKey", &S::useDarkBackground2D, false},
        {"useThickLines2DKey", &S::useThickLines2D, false},
        {"useProportionalZoom2DKey", &S::useProportionalZoom2D, true},
        {"showRotationBoxKey", &S::showRotationBox, true},
        {"useLightBackground3DKey", &S::useLightBackground3D, false},
        {"fasterLessAccurate3DAlgorithmKey", &S::fasterLessAccurate3DAlgorithm, true},
        {"display3DValuesKey", &S::display3DValues, false},
    };
    for (const Accessor& accessor : accessors) {
        EXPECT_EQ((settings.*accessor.read)(), accessor.fresh) << accessor.key;
    }
    EXPECT_EQ(store().stringValue("defaultColorKey"), "FF0000");
    EXPECT_TRUE(folderEntries(testing::configFolder()).isEmpty());
    for (const Accessor& flipped : accessors) {
        const QString key = QString::fromLatin1(flipped.key);
        const bool before = (settings.*flipped.read)();
        // Written by another store on the same file, as another process would.
        PreferenceStore other(store().filePath());
        ASSERT_TRUE(other.setValue(key, !before));
        EXPECT_EQ((settings.*flipped.read)(), !before) << flipped.key;
        for (const Accessor& unchanged : accessors) {
            if (&unchanged != &flipped) {
                EXPECT_EQ((settings.*unchanged.read)(), unchanged.fresh)
                    << flipped.key << " moved " << unchanged.key;
            }
        }
        ASSERT_TRUE(other.removeValue(key));
        EXPECT_EQ((settings.*flipped.read)(), before) << flipped.key;
    }
}

TEST_F(SettingsManagerTest, StoredDefaultColourWhenRandomIsOff) {
    ASSERT_TRUE(store().setValue("useRandomDefaultColorKey", false));
    EXPECT_EQ(hexStringFromColor(settings.defaultColor()), "FF0000");
    for (const QString text : {"12AB34", "12AB3480"}) {
        ASSERT_TRUE(store().setValue("defaultColorKey", text));
        EXPECT_EQ(hexStringFromColor(settings.defaultColor()), text);
    }
    ASSERT_TRUE(store().setValue("defaultColorKey", QStringLiteral("none")));
    EXPECT_FALSE(settings.defaultColor().isValid());
}

TEST_F(SettingsManagerTest, ResetLibrariesDeletesBothFilesAndNothingElse) {
    const QString data = testing::dataFolder();
    ASSERT_TRUE(writeBytes(LibraryStorage::libraryFilePath("expressions2D.plist"), "2D"));
    ASSERT_TRUE(writeBytes(LibraryStorage::libraryFilePath("expressions3D.plist"), "3D"));
    ASSERT_TRUE(writeBytes(data + QStringLiteral("/other.plist"), "other"));
    RVPWSettingsManager::resetLibraries();
    EXPECT_EQ(folderEntries(data), QStringList{"other.plist"});
    // Again, with nothing to delete: no error, nothing changes.
    RVPWSettingsManager::resetLibraries();
    EXPECT_EQ(folderEntries(data), QStringList{"other.plist"});
}

}  // namespace
}  // namespace plotwise
