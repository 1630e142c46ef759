#include <gtest/gtest.h>

#include <QDir>

#include "StorageTestSupport.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/PropertyList.h"

namespace plotwise {
namespace {

using testing::folderEntries;
using testing::readBytes;
using testing::sameValue;
using testing::writeBytes;

class PreferenceStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::clearStorageFolders();
        folder = testing::configFolder();
        path = folder + QStringLiteral("/preferences.plist");
    }

    QVariantMap fileContents() const {
        const PropertyList::ReadResult read = PropertyList::readFile(path);
        EXPECT_TRUE(read.ok()) << read.error.toStdString();
        return read.value.toMap();
    }

    QString folder;
    QString path;
};

TEST_F(PreferenceStoreTest, UnsetKeysReadAsTheirRegisteredDefaults) {
    PreferenceStore store(path);
    EXPECT_FALSE(store.value("flag").isValid());
    QVariantMap defaults;
    defaults.insert("flag", true);
    defaults.insert("text", QStringLiteral("default"));
    store.registerDefaults(defaults);
    EXPECT_TRUE(store.boolValue("flag"));
    EXPECT_EQ(store.stringValue("text"), "default");

    ASSERT_TRUE(store.setValue("flag", false));
    EXPECT_FALSE(store.boolValue("flag"));
    ASSERT_TRUE(store.removeValue("flag"));
    EXPECT_TRUE(store.boolValue("flag"));
    // Defaults are never written to the file.
    EXPECT_FALSE(fileContents().contains("text"));
    EXPECT_FALSE(fileContents().contains("flag"));
}

TEST_F(PreferenceStoreTest, ChangesFromAnotherStoreAreSeenAndNotOverwritten) {
    PreferenceStore first(path);
    PreferenceStore second(path);
    ASSERT_TRUE(first.setValue("a", 1));
    EXPECT_EQ(second.value("a").toInt(), 1);
    ASSERT_TRUE(second.setValue("b", 2));
    ASSERT_TRUE(first.setValue("c", 3));
    const QVariantMap stored = fileContents();
    EXPECT_EQ(stored.value("a").toInt(), 1);
    EXPECT_EQ(stored.value("b").toInt(), 2);
    EXPECT_EQ(stored.value("c").toInt(), 3);
    EXPECT_EQ(first.value("b").toInt(), 2);
}

TEST_F(PreferenceStoreTest, SeveralChangesLandTogether) {
    PreferenceStore store(path);
    ASSERT_TRUE(store.setValue("gone", 1));
    QVariantMap changes;
    changes.insert("x", 1);
    changes.insert("y", QStringLiteral("two"));
    changes.insert("gone", QVariant());
    ASSERT_TRUE(store.setValues(changes));
    const QVariantMap stored = fileContents();
    EXPECT_EQ(stored.keys(), (QStringList{"x", "y"}));
}

// Booleans read from numbers and YES/true texts; a kind that is not asked for reads as empty.
TEST_F(PreferenceStoreTest, BooleansReadFromOtherKinds) {
    PreferenceStore store(path);
    const std::vector<std::tuple<const char*, QVariant, bool>> rows = {
        {"one", 1, true},
        {"zero", 0, false},
        {"real", 0.5, true},
        {"yes", "YES", true},
        {"true", "true", true},
        {"no", "NO", false},
        {"list", QVariantList{true}, false}};
    for (const auto& [key, value, expected] : rows) {
        ASSERT_TRUE(store.setValue(key, value));
        EXPECT_EQ(store.boolValue(key), expected) << key;
    }
    EXPECT_FALSE(store.boolValue("missing"));
    EXPECT_TRUE(store.stringValue("one").isEmpty());
    EXPECT_TRUE(store.arrayValue("one").isEmpty());
    EXPECT_TRUE(store.dictionaryValue("list").isEmpty());
}

// Each kind of unreadable file: readable values are the defaults meanwhile, the file is left as
// it is by reading, and the first write moves it aside before writing its own.
TEST_F(PreferenceStoreTest, UnreadableFileIsKeptAsideBeforeTheFirstWrite) {
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"not XML", QByteArray("\x00\x01garbage", 9)},
        {"truncated", PropertyList::write(QVariantMap{{"a", 1}}).left(60)},
        {"not a plist", "<?xml version=\"1.0\"?><settings/>"},
        {"wrong root kind", PropertyList::write(QVariantList{1, 2})},
    };
    for (const auto& [name, bytes] : cases) {
        testing::clearStorageFolders();
        ASSERT_TRUE(writeBytes(path, bytes)) << name;
        PreferenceStore store(path);
        QVariantMap defaults;
        defaults.insert("flag", true);
        store.registerDefaults(defaults);
        EXPECT_TRUE(store.boolValue("flag")) << name;
        EXPECT_FALSE(store.value("a").isValid()) << name;
        EXPECT_EQ(readBytes(path), bytes) << name;
        EXPECT_EQ(folderEntries(folder), QStringList{"preferences.plist"}) << name;

        ASSERT_TRUE(store.setValue("flag", false)) << name;
        const QString aside = store.keptAsidePath();
        ASSERT_FALSE(aside.isEmpty()) << name;
        EXPECT_TRUE(aside.startsWith(path + QStringLiteral(".unreadable-"))) << name;
        EXPECT_EQ(readBytes(aside), bytes) << name;
        EXPECT_EQ(fileContents().keys(), QStringList{"flag"}) << name;
        EXPECT_FALSE(store.boolValue("flag")) << name;
    }
}

TEST_F(PreferenceStoreTest, AFileReplacedByAnotherProgramIsReadAgain) {
    PreferenceStore store(path);
    ASSERT_TRUE(store.setValue("a", 1));
    ASSERT_TRUE(PropertyList::writeFile(path, QVariantMap{{"a", 2}, {"b", true}}));
    EXPECT_EQ(store.value("a").toInt(), 2);
    EXPECT_TRUE(store.boolValue("b"));
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(store.value("a").isValid());
}

}  // namespace
}  // namespace plotwise
