#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QTranslator>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "StorageTestSupport.h"
#include "app/storage/LibraryFile.h"
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

// What a library screen holds: the file it read and the equations it shows.
struct OpenLibrary {
    explicit OpenLibrary(double* table) : file(QStringLiteral("expressions2D.plist")) {
        library = file.load(table);
    }
    QVariantList states() const { return dictionariesWithState(library.equations); }
    LibraryFile::SaveResult save() { return file.save(states()); }

    LibraryFile file;
    LibraryStorage::Library library;
};

QStringList asideFiles(const char* tag) {
    return QDir(testing::dataFolder())
        .entryList({QStringLiteral("expressions2D.plist.%1-*").arg(QString::fromLatin1(tag))},
                   QDir::Files, QDir::Name);
}

int runHelper(const QStringList& arguments, QProcess& process) {
    process.start(QStringLiteral(PLOTWISE_LIBRARY_HELPER), arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Items that give no equation are not shown, but every save writes them back after the shown
// entries, in their order.
TEST_F(LibraryStorageTest, UnreadItemsStayInTheFileAfterTheShownEntries) {
    const QVariantList items = {state("y=x^2", "a"), QStringLiteral("y=("), qlonglong(7),
                                state("x=y", "b"), state("sin(", "broken")};
    ASSERT_TRUE(PropertyList::writeFile(path2D, items));
    OpenLibrary open(table.data());
    ASSERT_EQ(open.library.equations.size(), 2u);
    EXPECT_EQ(open.library.skippedItems, 3);
    EXPECT_EQ(open.file.unreadItems(), (QVariantList{items[1], items[2], items[4]}));
    std::swap(open.library.equations[0], open.library.equations[1]);
    ASSERT_TRUE(open.save().saved);
    QVariantList expected = open.states();
    expected << items[1] << items[2] << items[4];
    EXPECT_EQ(PropertyList::readFile(path2D).value.toList(), expected);
    // Read again, they are still unread, and still last after a second save.
    OpenLibrary again(table.data());
    EXPECT_EQ(again.library.skippedItems, 3);
    again.library.equations.pop_back();
    ASSERT_TRUE(again.save().saved);
    EXPECT_EQ(PropertyList::readFile(path2D).value.toList().mid(1),
              (QVariantList{items[1], items[2], items[4]}));
    EXPECT_TRUE(asideFiles("changed").isEmpty());
}

// Another program writes the file while a screen holds it open: the screen's next save keeps
// that version aside byte for byte and then writes what it shows.
TEST_F(LibraryStorageTest, AnotherProcessesVersionIsKeptAsideBeforeTheNextSave) {
    OpenLibrary open(table.data());
    open.library.equations.resize(3);
    ASSERT_TRUE(open.save().saved);
    // Saving again with nothing changed elsewhere keeps nothing aside.
    ASSERT_TRUE(open.save().keptAside.isEmpty());

    QProcess other;
    ASSERT_EQ(runHelper({"save", "1", "other"}, other), 0)
        << other.readAllStandardError().toStdString();
    const QByteArray theirs = readBytes(path2D);
    ASSERT_TRUE(theirs.contains("other 0"));

    open.library.equations[1]->setCaption(QStringLiteral("mine"));
    const LibraryFile::SaveResult saved = open.save();
    ASSERT_TRUE(saved.saved) << saved.error.toStdString();
    EXPECT_FALSE(saved.keptUnreadable);
    ASSERT_EQ(asideFiles("changed").size(), 1);
    EXPECT_EQ(saved.keptAside, testing::dataFolder() + u'/' + asideFiles("changed")[0]);
    EXPECT_TRUE(QFileInfo(saved.keptAside)
                    .fileName()
                    .contains(QRegularExpression(
                        QStringLiteral("^expressions2D\\.plist\\.changed-\\d{8}T\\d{6}Z$"))));
    EXPECT_EQ(readBytes(saved.keptAside), theirs);
    EXPECT_EQ(PropertyList::readFile(path2D).value.toList(), open.states());
    // Its own write is remembered: the next save keeps nothing more aside.
    EXPECT_TRUE(open.save().keptAside.isEmpty());
    EXPECT_EQ(asideFiles("changed").size(), 1);
}

TEST_F(LibraryStorageTest, ATouchedButUnchangedFileIsNotKeptAside) {
    OpenLibrary open(table.data());
    ASSERT_TRUE(open.save().saved);
    const QByteArray bytes = readBytes(path2D);
    // The same bytes again (another program that saved the same library): a new time only.
    QFile::remove(path2D);
    ASSERT_TRUE(writeBytes(path2D, bytes));
    QFile file(path2D);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(60),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_TRUE(open.save().keptAside.isEmpty());
    // A file appearing where there was none is another program's.
    testing::clearStorageFolders();
    OpenLibrary fresh(table.data());
    ASSERT_TRUE(writeBytes(path2D, bytes));
    const LibraryFile::SaveResult saved = fresh.save();
    EXPECT_EQ(readBytes(saved.keptAside), bytes);
}

// A three-entry file cut at every byte opens, either with entries or with the examples; where
// it could not be read, the first save keeps it aside byte for byte.
TEST_F(LibraryStorageTest, AFileCutAtEveryByteOpensAndIsNeverLost) {
    const QByteArray whole = PropertyList::write(
        QVariantList{state("y=x^2", "one"), state("r=2", "two"), state("x=y", "three")});
    int readable = 0;
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        testing::clearStorageFolders();
        const QByteArray bytes = whole.left(cut);
        ASSERT_TRUE(writeBytes(path2D, bytes));
        OpenLibrary open(table.data());
        if (open.library.source == LibraryStorage::Source::File) {
            ++readable;
            EXPECT_EQ(open.library.equations.size(), 3u) << cut;
            EXPECT_FALSE(open.file.unreadable()) << cut;
            continue;
        }
        ASSERT_EQ(open.library.source, LibraryStorage::Source::ExamplesInsteadOfUnreadableFile)
            << cut;
        EXPECT_EQ(open.library.equations.size(), 13u) << cut;
        EXPECT_TRUE(open.file.unreadable()) << cut;
        EXPECT_EQ(readBytes(path2D), bytes) << cut;
        open.library.equations.resize(1);
        const LibraryFile::SaveResult saved = open.save();
        ASSERT_TRUE(saved.saved) << cut;
        EXPECT_TRUE(saved.keptUnreadable) << cut;
        EXPECT_EQ(readBytes(saved.keptAside), bytes) << cut;
        EXPECT_EQ(PropertyList::readFile(path2D).value.toList().size(), 1) << cut;
        if (cut % 64 == 0) {
            // Kept once: the next save keeps nothing more.
            EXPECT_TRUE(open.save().keptAside.isEmpty()) << cut;
        }
    }
    // The whole file, and the cuts that only lose the final line break.
    EXPECT_GE(readable, 1);
    EXPECT_LE(readable, 3);
}

TEST_F(LibraryStorageTest, AFailedSaveSaysWhyAndWritesNothing) {
    // A file where the library's folder should be.
    ASSERT_TRUE(writeBytes(testing::dataFolder() + QStringLiteral("/blocked"), "x"));
    LibraryFile file(QStringLiteral("blocked/expressions2D.plist"));
    const auto library = file.load(table.data());
    EXPECT_EQ(library.source, LibraryStorage::Source::Examples);
    const LibraryFile::SaveResult saved = file.save(dictionariesWithState(library.equations));
    EXPECT_FALSE(saved.saved);
    EXPECT_FALSE(saved.error.isEmpty());
    EXPECT_EQ(readBytes(testing::dataFolder() + QStringLiteral("/blocked")), "x");
}

// Two processes saving a hundred times each, while this one reads: every read finds a whole
// library, and every version either left is whole too.
TEST_F(LibraryStorageTest, TwoProcessesSavingAHundredTimesNeverTearTheFile) {
    {
        OpenLibrary open(table.data());
        ASSERT_TRUE(open.save().saved);
    }
    const qsizetype entries = PropertyList::readFile(path2D).value.toList().size();
    QProcess first;
    QProcess second;
    first.start(QStringLiteral(PLOTWISE_LIBRARY_HELPER), {"save", "100", "first"});
    second.start(QStringLiteral(PLOTWISE_LIBRARY_HELPER), {"save", "100", "second"});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(second.waitForStarted());
    int reads = 0;
    while (first.state() != QProcess::NotRunning || second.state() != QProcess::NotRunning) {
        const PropertyList::ReadResult read = PropertyList::readFile(path2D);
        ASSERT_TRUE(read.ok()) << reads << ": " << read.error.toStdString();
        ASSERT_EQ(read.value.toList().size(), entries) << reads;
        ++reads;
        first.waitForFinished(5);
        second.waitForFinished(5);
    }
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_GT(reads, 0);
    const QVariantList last = PropertyList::readFile(path2D).value.toList();
    ASSERT_EQ(last.size(), entries);
    const QString caption = last[0].toMap().value("expressionCaption").toString();
    EXPECT_TRUE(caption == "first 99" || caption == "second 99") << caption.toStdString();
    for (const QString& aside : asideFiles("changed")) {
        const PropertyList::ReadResult read =
            PropertyList::readFile(testing::dataFolder() + u'/' + aside);
        ASSERT_TRUE(read.ok()) << aside.toStdString();
        EXPECT_EQ(read.value.toList().size(), entries) << aside.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path2D + QStringLiteral(".lock")));
}

}  // namespace
}  // namespace plotwise
