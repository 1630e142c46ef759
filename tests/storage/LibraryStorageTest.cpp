#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTranslator>

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
    return {{"expressionString", QString::fromUtf8(source)},
            {"expressionCaption", QString::fromUtf8(caption)}};
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

class LibraryStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::clearStorageFolders();
        path2D = LibraryStorage::libraryFilePath("expressions2D.plist");
    }
    QVariantList stored() const { return PropertyList::readFile(path2D).value.toList(); }

    VariableTable table{};
    QString path2D;
};

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

// Missing files give the examples in order: black, visible, described, captions and notes
// translated but not the sources; loading writes nothing.
TEST_F(LibraryStorageTest, MissingFilesGiveTheTranslatedExamplesInOrder) {
    MarkingTranslator translator;
    ASSERT_TRUE(QCoreApplication::installTranslator(&translator));
    const auto removed = qScopeGuard([&] { QCoreApplication::removeTranslator(&translator); });
    for (const char* fileName : {"expressions2D.plist", "expressions3D.plist"}) {
        SCOPED_TRACE(fileName);
        const auto library = LibraryStorage::loadLibrary(fileName, table.data());
        const QVariantList states = LibraryStorage::exampleStates(fileName);
        EXPECT_EQ(library.source, LibraryStorage::Source::Examples);
        EXPECT_EQ(library.skippedItems, 0);
        ASSERT_EQ(library.equations.size(), static_cast<size_t>(states.size()));
        for (size_t i = 0; i < library.equations.size(); ++i) {
            const RVEquation& equation = *library.equations[i];
            const QVariantMap state = states[static_cast<qsizetype>(i)].toMap();
            EXPECT_EQ(sourceOf(equation), state.value("expressionString").toString()) << i;
            EXPECT_FALSE(sourceOf(equation).startsWith(u'[')) << i;
            EXPECT_EQ(equation.caption(), state.value("expressionCaption").toString()) << i;
            EXPECT_TRUE(equation.caption().isEmpty() || equation.caption().startsWith("[de] "));
            EXPECT_TRUE(equation.notes().startsWith("[de] ")) << i;
            EXPECT_EQ(hexStringFromColor(equation.color()), "000000") << i;
            EXPECT_TRUE(equation.visible()) << i;
            EXPECT_FALSE(equation.expression()->containsDerivative()) << i;
        }
    }
    EXPECT_TRUE(folderEntries(testing::dataFolder()).isEmpty());
}

TEST_F(LibraryStorageTest, SavedLibraryComesBackExactly) {
    OpenLibrary open(table.data());
    auto& equations = open.library.equations;
    equations[0]->setCaption(QString::fromUtf8("Parabola <&> π Θ"));
    equations[1]->setVisible(false);
    equations[2]->setColor(QColor(1, 2, 3, 4));
    equations[3]->setNotes(QStringLiteral("line\r\nnext\ttab"));
    std::swap(equations[4], equations[5]);
    equations.pop_back();
    ASSERT_TRUE(open.save().saved);
    const auto reloaded = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
    EXPECT_EQ(reloaded.source, LibraryStorage::Source::File);
    EXPECT_EQ(dictionariesWithState(reloaded.equations), open.states());
    // The file is an array of those dictionaries, and nothing else is left in the folder.
    EXPECT_EQ(stored(), open.states());
    EXPECT_EQ(folderEntries(testing::dataFolder()), QStringList{"expressions2D.plist"});
}

// Dictionaries and texts that parse become equations (a text a new red visible one, with its
// derivative carried out); the other items are not shown, but every save writes them back after
// the shown entries, in their order.
TEST_F(LibraryStorageTest, EveryItemKindIsReadOrKeptUnread) {
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
        QVariantMap{{"expressionCaption", QStringLiteral("no source")}},
        state("sin(", "unparseable"),
        QStringLiteral("y=d/dx(x^2)"),
        state("x=y", "last"),
    };
    const QVariantList unread = items.mid(2, 8) << items[10];
    ASSERT_TRUE(PropertyList::writeFile(path2D, items));
    OpenLibrary open(table.data());
    const auto& equations = open.library.equations;
    EXPECT_EQ(open.library.source, LibraryStorage::Source::File);
    EXPECT_EQ(open.library.skippedItems, 9);
    EXPECT_EQ(open.file.unreadItems(), unread);
    ASSERT_EQ(equations.size(), 4u);
    EXPECT_EQ(sourceOf(*equations[0]), "y=x^2");
    EXPECT_EQ(equations[0]->caption(), "first");
    EXPECT_FALSE(equations[0]->color().isValid());
    EXPECT_EQ(sourceOf(*equations[1]), QString::fromUtf8("r=Θ"));
    EXPECT_EQ(hexStringFromColor(equations[1]->color()), "FF0000");
    EXPECT_TRUE(equations[1]->visible());
    EXPECT_EQ(sourceOf(*equations[2]), "y=d/dx(x^2)");
    EXPECT_FALSE(equations[2]->expression()->containsDerivative());
    EXPECT_EQ(equations[3]->caption(), "last");

    std::swap(open.library.equations[0], open.library.equations[1]);
    ASSERT_TRUE(open.save().saved);
    EXPECT_EQ(stored(), open.states() + unread);
    // Read again, they are still unread, and still last after a second save.
    OpenLibrary again(table.data());
    again.library.equations.pop_back();
    ASSERT_TRUE(again.save().saved);
    EXPECT_EQ(stored(), again.states() + unread);
    EXPECT_TRUE(asideFiles("changed").isEmpty());
}

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

// A three-entry file cut at every byte, and files of other shapes, open either with their
// entries or with the examples; where a file could not be read, the first save keeps it aside
// byte for byte, once.
TEST_F(LibraryStorageTest, AnyFileOpensAndIsNeverLost) {
    const QByteArray whole = PropertyList::write(
        QVariantList{state("y=x^2", "one"), state("r=2", "two"), state("x=y", "three")});
    std::vector<QByteArray> documents = {
        "<?xml version=\"1.0\"?><library><item>y=x</item></library>",
        PropertyList::write(QVariantMap{{"a", state("y=x")}}),
        PropertyList::write(QStringLiteral("y=x"))};
    // Every fifth cut (the test's time) and every cut near the end, where the file turns whole.
    for (qsizetype cut = 0; cut <= whole.size(); cut += cut + 16 < whole.size() ? 5 : 1) {
        documents.push_back(whole.left(cut));
    }
    int readable = 0;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        SCOPED_TRACE(i);
        testing::clearStorageFolders();
        ASSERT_TRUE(writeBytes(path2D, documents[i]));
        OpenLibrary open(table.data());
        EXPECT_EQ(open.file.unreadable(), open.library.source != LibraryStorage::Source::File);
        if (!open.file.unreadable()) {
            ++readable;
            EXPECT_EQ(open.library.equations.size(), 3u);
            continue;
        }
        ASSERT_EQ(open.library.source, LibraryStorage::Source::ExamplesInsteadOfUnreadableFile);
        EXPECT_FALSE(open.library.error.isEmpty());
        EXPECT_EQ(open.library.equations.size(), 13u);
        EXPECT_EQ(readBytes(path2D), documents[i]);
        open.library.equations.resize(1);
        const LibraryFile::SaveResult saved = open.save();
        ASSERT_TRUE(saved.saved);
        EXPECT_TRUE(saved.keptUnreadable);
        EXPECT_EQ(readBytes(saved.keptAside), documents[i]);
        EXPECT_EQ(stored().size(), 1);
        if (i % 64 == 0) {
            EXPECT_TRUE(open.save().keptAside.isEmpty());
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
    ASSERT_TRUE(OpenLibrary(table.data()).save().saved);
    const qsizetype entries = stored().size();
    QProcess first;
    QProcess second;
    first.start(QStringLiteral(PLOTWISE_LIBRARY_HELPER), {"save", "100", "first"});
    second.start(QStringLiteral(PLOTWISE_LIBRARY_HELPER), {"save", "100", "second"});
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
    const QString caption = stored().value(0).toMap().value("expressionCaption").toString();
    EXPECT_TRUE(caption == "first 99" || caption == "second 99") << caption.toStdString();
    for (const QString& aside : asideFiles("changed")) {
        const auto read = PropertyList::readFile(testing::dataFolder() + u'/' + aside);
        EXPECT_EQ(read.value.toList().size(), entries) << aside.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path2D + QStringLiteral(".lock")));
}

}  // namespace
}  // namespace plotwise
