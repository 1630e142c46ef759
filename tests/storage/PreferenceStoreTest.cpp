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

// Defaults answer for unset keys and are never written; several changes land together.
TEST_F(PreferenceStoreTest, UnsetKeysReadAsTheirRegisteredDefaults) {
    PreferenceStore store(path);
    EXPECT_FALSE(store.value("flag").isValid());
    store.registerDefaults({{"flag", true}, {"text", QStringLiteral("default")}});
    EXPECT_TRUE(store.boolValue("flag"));
    EXPECT_EQ(store.stringValue("text"), "default");
    ASSERT_TRUE(store.setValue("flag", false));
    EXPECT_FALSE(store.boolValue("flag"));
    ASSERT_TRUE(store.removeValue("flag"));
    EXPECT_TRUE(store.boolValue("flag"));
    ASSERT_TRUE(store.setValue("gone", 1));
    ASSERT_TRUE(store.setValues({{"x", 1}, {"y", QStringLiteral("two")}, {"gone", QVariant()}}));
    EXPECT_EQ(fileContents().keys(), (QStringList{"x", "y"}));
}

TEST_F(PreferenceStoreTest, ChangesFromAnotherStoreAreSeenAndNotOverwritten) {
    PreferenceStore first(path);
    PreferenceStore second(path);
    ASSERT_TRUE(first.setValue("a", 1));
    EXPECT_EQ(second.value("a").toInt(), 1);
    ASSERT_TRUE(second.setValue("b", 2));
    ASSERT_TRUE(first.setValue("c", 3));
    EXPECT_TRUE(sameValue(fileContents(), QVariantMap{{"a", 1}, {"b", 2}, {"c", 3}}));
    EXPECT_EQ(first.value("b").toInt(), 2);
}

// Booleans read from numbers and YES/true texts; a kind that is not asked for reads as empty.
TEST_F(PreferenceStoreTest, BooleansReadFromOtherKinds) {
    PreferenceStore store(path);
    ASSERT_TRUE(store.setValues({{"one", 1},
                                 {"zero", 0},
                                 {"real", 0.5},
                                 {"yes", "YES"},
                                 {"true", "true"},
                                 {"no", "NO"},
                                 {"list", QVariantList{true}}}));
    for (const char* key : {"one", "real", "yes", "true"}) {
        EXPECT_TRUE(store.boolValue(key)) << key;
    }
    for (const char* key : {"zero", "no", "list", "missing"}) {
        EXPECT_FALSE(store.boolValue(key)) << key;
    }
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
        store.registerDefaults({{"flag", true}});
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
