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

// A fresh install: shakes on, toolbar hiding off, random colours on, keyboard clicks on, dark 2D
// background off, thick lines off, proportional zoom on, rotation box on, light 3D background
// off, faster implicits on, 3D values off, default colour pure red.
TEST_F(SettingsManagerTest, FreshStoreReadsTheDefaults) {
    EXPECT_TRUE(settings.shakeEnabled());
    EXPECT_FALSE(settings.canHideToolbar());
    EXPECT_TRUE(settings.useRandomDefaultColor());
    EXPECT_TRUE(settings.useKeyboardClicks());
    EXPECT_FALSE(settings.useDarkBackground2D());
    EXPECT_FALSE(settings.useThickLines2D());
    EXPECT_TRUE(settings.useProportionalZoom2D());
    EXPECT_TRUE(settings.showRotationBox());
    EXPECT_FALSE(settings.useLightBackground3D());
    EXPECT_TRUE(settings.fasterLessAccurate3DAlgorithm());
    EXPECT_FALSE(settings.display3DValues());
    EXPECT_EQ(store().stringValue("defaultColorKey"), "FF0000");
    EXPECT_EQ(hexStringFromColor(QColor::fromRgbF(1.0f, 0.0f, 0.0f)), "FF0000");
    // Reading wrote nothing.
    EXPECT_TRUE(folderEntries(testing::configFolder()).isEmpty());
}

// Each accessor reads its own key, afresh: flip one key at a time and only its accessor moves.
TEST_F(SettingsManagerTest, EachAccessorReadsItsKeyAfresh) {
    struct Accessor {
        const char* key;
        bool (RVPWSettingsManager::*read)() const;
    };
    const std::vector<Accessor> accessors = {
        {"enableShakesKey", &RVPWSettingsManager::shakeEnabled},
        {"phoneHidesToolbarKey", &RVPWSettingsManager::canHideToolbar},
        {"useRandomDefaultColorKey", &RVPWSettingsManager::useRandomDefaultColor},
        {"enableKeyboardClicksKey", &RVPWSettingsManager::useKeyboardClicks},
        {"useDarkBackground2DKey", &RVPWSettingsManager::useDarkBackground2D},
        {"useThickLines2DKey", &RVPWSettingsManager::useThickLines2D},
        {"useProportionalZoom2DKey", &RVPWSettingsManager::useProportionalZoom2D},
        {"showRotationBoxKey", &RVPWSettingsManager::showRotationBox},
        {"useLightBackground3DKey", &RVPWSettingsManager::useLightBackground3D},
        {"fasterLessAccurate3DAlgorithmKey", &RVPWSettingsManager::fasterLessAccurate3DAlgorithm},
        {"display3DValuesKey", &RVPWSettingsManager::display3DValues},
    };
    for (const Accessor& flipped : accessors) {
        const QString key = QString::fromLatin1(flipped.key);
        const bool before = (settings.*flipped.read)();
        // Written by another store on the same file, as another process would.
        PreferenceStore other(store().filePath());
        ASSERT_TRUE(other.setValue(key, !before));
        EXPECT_EQ((settings.*flipped.read)(), !before) << flipped.key;
        for (const Accessor& unchanged : accessors) {
            if (&unchanged != &flipped) {
                EXPECT_EQ((settings.*unchanged.read)(),
                          RVPWSettingsManager::appDefaults().value(unchanged.key).toBool())
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
    ASSERT_TRUE(store().setValue("defaultColorKey", QStringLiteral("12AB34")));
    EXPECT_EQ(hexStringFromColor(settings.defaultColor()), "12AB34");
    ASSERT_TRUE(store().setValue("defaultColorKey", QStringLiteral("12AB3480")));
    EXPECT_EQ(hexStringFromColor(settings.defaultColor()), "12AB3480");
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
