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

struct ExampleRow {
    const char* source;
    const char* caption;
    const char* notes;
};

const std::vector<ExampleRow> examples2D = {
    {"y=x^2", "Cartesian example - Parabola", "Example of an explicit cartesian equation"},
    {"y=d/dx(sin(x)-cos(x))^2", "Cartesian Example - Derivative",
     "Example of an equation with a derivative"},
    {"x=e^(y-2)", "Cartesian Example - Using exponential",
     "Example of an explicit cartesian equation that uses an exponential"},
    {"r=4*cos(Θ)", "Polar Example - Circle", "Example of an explicit polar equation"},
    {"r=1-2*sin(Θ)", "Polar example - Limaçons (Snails)", "Example of an explicit polar equation"},
    {"r=2*cos(4Θ)", "Polar example - Rose", "Example of an explicit polar equation"},
    {"r=sin(Θ)-1", "Polar example - Cardioid", "Example of an explicit polar equation"},
    {"r=sin(2^Θ)-1.7", "Another polar example", "Example of an explicit polar equation"},
    {"x^2 + x*y + y^2 - 2^2", "Implicit cartesian example - Ellipse",
     "Example of an implicit cartesian equation"},
    {"sin(x) - cos(y)^2", "Another implicit cartesian Example",
     "Example of an implicit cartesian equation"},
    {"r^2=2^2*sin(2Θ)", "Implicit polar example - Lemniscates",
     "Example of an implicit polar equation"},
    {"r^2=sin(3Θ)^2+cos(0.8-r)", "Another implicit polar equation",
     "Example of an implicit polar equation"},
    {"y<sin(5r)", "Inequality example", "Example of an inequality"},
};

const std::vector<ExampleRow> examples3D = {
    {"z=y^2/16-x^2/25", "Cartesian example - Hyperbolic paraboloid",
     "Example of an explicit cartesian equation"},
    {"z=abs(cos(x)*sin(y))", "Another cartesian example",
     "Example of an explicit cartesian equation"},
    {"x=d/dz(e^(-4(z^2+y^2)))", "Cartesian Example - Derivative",
     "Example of an equation with a derivative"},
    {"r=2sin(4Θ+cos(4Φ))", "Spherical Example - Rose", "Example of an spherical equation"},
    {"r=2sin(5Φ)", "Spherical Example - Decorative", "Example of an spherical equation"},
    {"Φ=3-sin(3Θ+r)", "Spherical Example - Sphiral", "Example of an spherical equation"},
    {"Θ=sin(Φ+r)/2", "Spheric Example - Waves", "Example of an spherical equation"},
    {"r=Θ-sin(z)", "Cylindrical Example - Tube", "Example of a cylindrical equation"},
    {"z=100*sin(7r)/(1+r)^2", "Cylindrical Example - UFO", "Example of a cylindrical equation"},
    {"Θ=r+cos(1/z)", "", "Example of a cylindrical equation"},
    {"(x^4+y^4+z^4)/10=50", "Implicit cartesian example - Cube",
     "Example of an implicit cartesian equation"},
    {"r^2/5=10*cos(4Θ)", "Implicit spherical example - Spin",
     "Example of an implicit spherical equation"},
    {"(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0", "Cartesian inequality example - Torus",
     "Example of an inequality"},
    {"320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)=0", "Implicit cartesian example - Heart",
     "Example of an implicit cartesian equation"},
};

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

    static void expectExamples(const LibraryStorage::Library& library,
                               const std::vector<ExampleRow>& rows) {
        ASSERT_EQ(library.equations.size(), rows.size());
        EXPECT_EQ(library.skippedItems, 0);
        for (size_t i = 0; i < rows.size(); ++i) {
            const RVEquation& equation = *library.equations[i];
            EXPECT_EQ(sourceOf(equation), QString::fromUtf8(rows[i].source)) << i;
            EXPECT_EQ(equation.caption(), QString::fromUtf8(rows[i].caption)) << i;
            EXPECT_EQ(equation.notes(), QString::fromUtf8(rows[i].notes)) << i;
            EXPECT_EQ(hexStringFromColor(equation.color()), "000000") << i;
            EXPECT_TRUE(equation.visible()) << i;
        }
    }

    VariableTable table{};
    QString path2D;
};

TEST_F(LibraryStorageTest, MissingFilesGiveTheExamplesInOrder) {
    const auto library2D = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
    EXPECT_EQ(library2D.source, LibraryStorage::Source::Examples);
    expectExamples(library2D, examples2D);
    const auto library3D = LibraryStorage::loadLibrary("expressions3D.plist", table.data());
    expectExamples(library3D, examples3D);
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
    ASSERT_EQ(library.equations.size(), examples3D.size());
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
        {"declares entities",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e \"y=x\">]>"
         "<plist><array><string>&e;</string></array></plist>"},
    };
    for (const auto& [name, bytes] : cases) {
        testing::clearStorageFolders();
        ASSERT_TRUE(writeBytes(path2D, bytes)) << name;
        auto library = LibraryStorage::loadLibrary("expressions2D.plist", table.data());
        EXPECT_EQ(library.source, LibraryStorage::Source::ExamplesInsteadOfUnreadableFile) << name;
        EXPECT_FALSE(library.error.isEmpty()) << name;
        EXPECT_EQ(library.equations.size(), examples2D.size()) << name;
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
