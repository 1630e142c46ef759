#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QTranslator>

#include "StorageTestSupport.h"
#include "app/storage/LibraryStorage.h"
#include "app/storage/PropertyList.h"
#include "engine/VariableTable.h"
#include "equations/ColorText.h"

namespace plotwise {
namespace {

using testing::folderEntries;
using testing::readBytes;
using testing::writeBytes;

QString sourceOf(const RVEquation& equation) {
    return QString::fromStdU16String(equation.expression()->expressionString());
}

QVariantMap state(const char* source, const char* caption = "") {
    QVariantMap s;
    s.insert("expressionString", QString::fromUtf8(source));
    s.insert("expressionCaption", QString::fromUtf8(caption));
    return s;
}

class LibraryStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::clearStorageFolders();
        path2D = LibraryStorage::libraryFilePath("expressions2D.plist");
    }

    // The examples are the file's fallback: every one loads, black, visible, described, in the
    // order of exampleStates.
    static void expectExamples(const LibraryStorage::Library& library, const char* fileName) {
        const QVariantList states = LibraryStorage::exampleStates(fileName);
        ASSERT_EQ(library.equations.size(), static_cast<size_t>(states.size()));
        EXPECT_EQ(library.skippedItems, 0);
        for (size_t i = 0; i < library.equations.size(); ++i) {
            const RVEquation& equation = *library.equations[i];
            const QVariantMap state = states[static_cast<qsizetype>(i)].toMap();
            EXPECT_EQ(sourceOf(equation), state.value("expressionString").toString()) << i;
            EXPECT_EQ(equation.caption(), state.value("expressionCaption").toString()) << i;
            EXPECT_FALSE(equation.notes().isEmpty()) << i;
            EXPECT_EQ(hexStringFromColor(equation.color()), "000000") << i;
            EXPECT_TRUE(equation.visible()) << i;
            EXPECT_FALSE(equation.expression()->containsDerivative()) << i;
        }
    }

    VariableTable table{};
    QString path2D;
};

TEST_F(LibraryStorageTest, MissingFilesGiveTheExamplesInOrder) {
    const auto library2D = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
    EXPECT_EQ(library2D.source, LibraryStorage::Source::Examples);
    expectExamples(library2D, "expressions2D.plist");
    EXPECT_EQ(sourceOf(*library2D.equations[0]), "y=x^2");
    const auto library3D = LibraryStorage::loadLibrary("expressions3D.plist", table.data());
    expectExamples(library3D, "expressions3D.plist");
    // Loading writes nothing.
    EXPECT_TRUE(folderEntries(testing::dataFolder()).isEmpty());
}

TEST_F(LibraryStorageTest, TheFileNameChoosesTheExampleSet) {
    EXPECT_EQ(LibraryStorage::exampleStates("my2D.plist").size(), 13);
    EXPECT_EQ(LibraryStorage::exampleStates("expressions3D.plist").size(), 14);
    EXPECT_EQ(LibraryStorage::exampleStates("other.plist").size(), 14);
    for (const QVariant& item : LibraryStorage::exampleStates("expressions2D.plist")) {
        // No visibility entry; black.
        EXPECT_FALSE(item.toMap().contains("expressionVisibile"));
        EXPECT_EQ(item.toMap().value("expressionColor").toString(), "000000");
    }
}

// Marks every text of the examples' context, to see that they go through the translations.
class MarkingTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, LibraryStorage::translationContext) == 0) {
            return QStringLiteral("[de] ") + QString::fromUtf8(source);
        }
        return QString();
    }
    bool isEmpty() const override { return false; }
};

TEST_F(LibraryStorageTest, CaptionsAndNotesAreTranslated) {
    MarkingTranslator translator;
    ASSERT_TRUE(QCoreApplication::installTranslator(&translator));
    const auto library = LibraryStorage::loadLibrary("expressions3D.plist", table.data());
    QCoreApplication::removeTranslator(&translator);
    ASSERT_EQ(library.equations.size(), 14u);
    EXPECT_EQ(library.equations[0]->caption(), "[de] Cartesian example - Hyperbolic paraboloid");
    EXPECT_EQ(library.equations[0]->notes(), "[de] Example of an explicit cartesian equation");
    // The empty caption stays empty.
    EXPECT_EQ(library.equations[9]->caption(), "");
    // The source texts are not translated.
    EXPECT_EQ(sourceOf(*library.equations[0]), "z=y^2/16-x^2/25");
}

TEST_F(LibraryStorageTest, SavedLibraryComesBackExactly) {
    auto library = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
    library.equations[0]->setCaption(QString::fromUtf8("Parabola <&> π Θ"));
    library.equations[1]->setVisible(false);
    library.equations[2]->setColor(QColor(1, 2, 3, 4));
    library.equations[3]->setNotes(QStringLiteral("line\r\nnext\ttab"));
    std::swap(library.equations[4], library.equations[5]);
    library.equations.pop_back();
    ASSERT_TRUE(LibraryStorage::saveLibrary("expressions2D.plist", library.equations));
    const QVariantList saved = dictionariesWithState(library.equations);

    const auto reloaded = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
    EXPECT_EQ(reloaded.source, LibraryStorage::Source::File);
    EXPECT_EQ(dictionariesWithState(reloaded.equations), saved);
    // The file is an array of those dictionaries, and nothing else is left in the folder.
    const PropertyList::ReadResult file = PropertyList::readFile(path2D);
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.value.toList(), saved);
    EXPECT_EQ(folderEntries(testing::dataFolder()), QStringList{"expressions2D.plist"});
}

TEST_F(LibraryStorageTest, EveryItemKindIsReadOrSkipped) {
    QVariantMap withoutSource;
    withoutSource.insert("expressionCaption", QStringLiteral("no source"));
    const QVariantList items = {
        state("y=x^2", "first"),
        QStringLiteral("r=Θ"),
        QStringLiteral("y=("),
        qlonglong(7),
        true,
        2.5,
        QByteArray("y=x"),
        QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC),
        QVariantList{QStringLiteral("y=x")},
        withoutSource,
        state("sin(", "unparseable"),
        QStringLiteral("y=d/dx(x^2)"),
        state("x=y", "last"),
    };
    ASSERT_TRUE(PropertyList::writeFile(path2D, items));
    const auto library = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
    EXPECT_EQ(library.source, LibraryStorage::Source::File);
    EXPECT_EQ(library.skippedItems, 9);
    ASSERT_EQ(library.equations.size(), 4u);
    EXPECT_EQ(sourceOf(*library.equations[0]), "y=x^2");
    EXPECT_EQ(library.equations[0]->caption(), "first");
    EXPECT_FALSE(library.equations[0]->color().isValid());
    // A text becomes a new equation: pure red, visible, blank.
    EXPECT_EQ(sourceOf(*library.equations[1]), QString::fromUtf8("r=Θ"));
    EXPECT_EQ(hexStringFromColor(library.equations[1]->color()), "FF0000");
    EXPECT_TRUE(library.equations[1]->visible());
    EXPECT_EQ(library.equations[1]->type(), EquationType::ExplicitR);
    EXPECT_EQ(sourceOf(*library.equations[2]), "y=d/dx(x^2)");
    EXPECT_FALSE(library.equations[2]->expression()->containsDerivative());
    EXPECT_EQ(library.equations[3]->caption(), "last");
}

// A file that exists but cannot be read: the examples meanwhile, the file untouched by loading,
// and moved aside (never overwritten) by the first save.
TEST_F(LibraryStorageTest, UnreadableFileIsKeptAsideBeforeSaving) {
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"not XML", "this is not a library"},
        {"truncated", PropertyList::write(QVariantList{state("y=x")}).chopped(20)},
        {"not a property list", "<?xml version=\"1.0\"?><library><item>y=x</item></library>"},
        {"dictionary at the root", PropertyList::write(QVariantMap{{"a", state("y=x")}})},
        {"text at the root", PropertyList::write(QStringLiteral("y=x"))},
    };
    for (const auto& [name, bytes] : cases) {
        testing::clearStorageFolders();
        ASSERT_TRUE(writeBytes(path2D, bytes)) << name;
        auto library = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
        EXPECT_EQ(library.source, LibraryStorage::Source::ExamplesInsteadOfUnreadableFile) << name;
        EXPECT_FALSE(library.error.isEmpty()) << name;
        EXPECT_EQ(library.equations.size(), 13u) << name;
        EXPECT_EQ(readBytes(path2D), bytes) << name;

        library.equations.resize(2);
        QString aside;
        ASSERT_TRUE(LibraryStorage::saveLibrary("expressions2D.plist", library.equations, &aside))
            << name;
        ASSERT_FALSE(aside.isEmpty()) << name;
        EXPECT_EQ(readBytes(aside), bytes) << name;
        const auto reloaded = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
        EXPECT_EQ(reloaded.source, LibraryStorage::Source::File) << name;
        EXPECT_EQ(reloaded.equations.size(), 2u) << name;
        EXPECT_EQ(folderEntries(testing::dataFolder()).size(), 2) << name;
    }
}

}  // namespace
}  // namespace plotwise
