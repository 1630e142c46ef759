#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <cmath>
#include <limits>

#include "StorageTestSupport.h"
#include "app/storage/PropertyList.h"

namespace plotwise {
namespace {

using testing::folderEntries;
using testing::readBytes;
using testing::sameValue;
using testing::writeBytes;

QByteArray plist(const char* body) {
    return QByteArray(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\">") +
           body + "</plist>\n";
}

QVariant readBack(const QVariant& value) {
    QString error;
    const QByteArray document = PropertyList::write(value, &error);
    EXPECT_FALSE(document.isEmpty()) << error.toStdString();
    const PropertyList::ReadResult result = PropertyList::read(document);
    EXPECT_TRUE(result.ok()) << result.error.toStdString() << "\n" << document.toStdString();
    return result.value;
}

void expectRoundTrip(const QVariant& value, const char* name) {
    QString where;
    EXPECT_TRUE(sameValue(readBack(value), value, &where)) << name << ": " << where.toStdString();
}

TEST(PropertyList, EveryKindRoundTrips) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    QByteArray allBytes;
    for (int i = 0; i < 256; ++i) {
        allBytes.append(static_cast<char>(i));
    }
    QVariantMap nested;
    nested.insert("empty array", QVariantList());
    nested.insert("empty dictionary", QVariantMap());
    nested.insert("list", QVariantList{true, false, QString(), QVariantList{QVariantMap()}});

    struct Case {
        const char* name;
        QVariant value;
    };
    const std::vector<Case> cases = {
        {"markup characters", QStringLiteral("<&> \"quoted\" 'single' ]]> &amp;")},
        {"Greek letters", QString::fromUtf8("π Θ Φ ⋅ √ ≤ ≥ ≠")},
        {"outside the BMP", QString::fromUtf8("😀𝑥")},
        {"line ends", QStringLiteral("a\r\nb\rc\nd\r")},
        {"blanks kept", QStringLiteral("  \t leading and trailing \t  ")},
        {"empty string", QString()},
        {"true", true},
        {"smallest integer", std::numeric_limits<qlonglong>::min()},
        {"largest integer", std::numeric_limits<qlonglong>::max()},
        {"largest unsigned", std::numeric_limits<qulonglong>::max()},
        {"one tenth", 0.1},
        {"one third", 1.0 / 3.0},
        {"negative zero", -0.0},
        {"large", 1.7976931348623157e308},
        {"tiny subnormal", 5e-324},
        {"infinity", inf},
        {"minus infinity", -inf},
        {"not a number", std::numeric_limits<double>::quiet_NaN()},
        {"data", allBytes},
        {"date", QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC)},
        {"empty array", QVariantList()},
        {"empty dictionary", QVariantMap()},
        {"nested", nested},
    };
    for (const Case& c : cases) {
        expectRoundTrip(c.value, c.name);
        // The same value inside containers.
        expectRoundTrip(QVariantList{c.value, c.value}, c.name);
        QVariantMap wrapper;
        wrapper.insert(QString::fromUtf8(c.name) + QStringLiteral(" <&> π"), c.value);
        expectRoundTrip(wrapper, c.name);
    }
}

// Other widths and containers are written as their plist kinds.
TEST(PropertyList, WidthsOfIntegersAndListsOfTextsAreWritten) {
    const QVariantMap read = readBack(QVariantMap{{"int", 7},
                                                  {"unsigned", 8u},
                                                  {"float", 0.5f},
                                                  {"texts", QStringList{"a", "b"}},
                                                  {"hash", QVariantHash{{"k", 1}}}})
                                 .toMap();
    EXPECT_TRUE(sameValue(read, QVariantMap{{"int", 7},
                                            {"unsigned", 8},
                                            {"float", 0.5},
                                            {"texts", QVariantList{"a", "b"}},
                                            {"hash", QVariantMap{{"k", 1}}}}));
}

TEST(PropertyList, CharactersXmlCannotCarryBecomeReplacementCharacters) {
    const QString text = QStringLiteral("a") + QChar(0x01) + QChar(0xD800) + QStringLiteral("b") +
                         QChar(0xFFFE) + QChar(0x1F);
    const QVariant read = readBack(text);
    const QString expected = QStringLiteral("a\uFFFD\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(read.toString(), expected);
    QVariantMap keyed;
    keyed.insert(text, 1);
    EXPECT_EQ(readBack(keyed).toMap().keys(), QStringList{expected});
}

TEST(PropertyList, WritesTheStandardDocument) {
    const QByteArray document = PropertyList::write(QVariantList{qlonglong(1), 2.5, true});
    EXPECT_TRUE(document.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    for (const char* piece :
         {"<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\"", "<plist version=\"1.0\">",
          "<integer>1</integer>", "<real>2.5</real>", "<true/>"}) {
        EXPECT_TRUE(document.contains(piece)) << piece;
    }
}

TEST(PropertyList, ReadsValuesAsOtherWritersSpellThem) {
    struct Case {
        const char* body;
        QVariant expected;
    };
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {"<real>+1.5</real>", 1.5},
        {"<real> 2.5 </real>", 2.5},
        {"<real>1E3</real>", 1000.0},
        {"<real>-Infinity</real>", -inf},
        {"<real>NaN</real>", std::numeric_limits<double>::quiet_NaN()},
        {"<real>1e400</real>", inf},
        {"<real>1e-400</real>", 0.0},
        {"<integer>+7</integer>", qlonglong(7)},
        {"<integer>\n 12 \n</integer>", qlonglong(12)},
        {"<string><![CDATA[<&>]]></string>", QStringLiteral("<&>")},
        {"<string>a<!-- comment -->b</string>", QStringLiteral("ab")},
        {"<string>&#960;&lt;</string>", QString::fromUtf8("π<")},
        {"<string/>", QString()},
        {"<data>AAEC\n  /w==</data>", QByteArray("\x00\x01\x02\xff", 4)},
        {"<date>2001-01-01T00:00:00Z</date>", QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)},
        {"<dict><key>a</key><integer>1</integer><key>a</key><integer>2</integer></dict>",
         QVariantMap{{"a", qlonglong(2)}}},
        {"<array><!-- note --><true/>\n\t<false/></array>", QVariantList{true, false}},
    };
    for (const Case& c : cases) {
        const PropertyList::ReadResult result = PropertyList::read(plist(c.body));
        ASSERT_TRUE(result.ok()) << c.body << ": " << result.error.toStdString();
        QString where;
        EXPECT_TRUE(sameValue(result.value, c.expected, &where))
            << c.body << ": " << where.toStdString();
    }
}

TEST(PropertyList, RefusesMalformedDocumentsDeclaredEntitiesAndDeepNesting) {
    const auto nestedArrays = [](int depth) {
        return plist(
            (QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth))
                .constData());
    };
    EXPECT_TRUE(PropertyList::read(nestedArrays(PropertyList::maximumDepth)).ok());
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"plain text", "hello"},
        {"binary plist", QByteArray("bplist00\xd1\x01\x02", 11)},
        {"not plist root", "<?xml version=\"1.0\"?><array><string>y</string></array>"},
        {"empty plist", plist("")},
        {"two values", plist("<true/><false/>")},
        {"unknown element", plist("<color>red</color>")},
        {"key outside a dictionary", plist("<key>a</key>")},
        {"value without key", plist("<dict><string>a</string></dict>")},
        {"key without value", plist("<dict><key>a</key></dict>")},
        {"text in an array", plist("<array>loose<true/></array>")},
        {"element in a string", plist("<string>a<b/></string>")},
        {"real in integer", plist("<integer>1.5</integer>")},
        {"trailing junk in integer", plist("<integer>12abc</integer>")},
        {"integer too large", plist("<integer>99999999999999999999</integer>")},
        {"decimal comma", plist("<real>1,5</real>")},
        {"hexadecimal real", plist("<real>0x1p3</real>")},
        {"bad base64", plist("<data>@@@@</data>")},
        {"bad date", plist("<date>yesterday</date>")},
        {"internal entity used",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e \"y=x\">]>"
         "<plist><string>&e;</string></plist>"},
        {"internal entity unused",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e \"y=x\">]>"
         "<plist><string>y</string></plist>"},
        {"external entity",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
         "<plist><string>&e;</string></plist>"},
        {"undeclared entity", plist("<string>&nbsp;</string>")},
        {"one level too deep", nestedArrays(PropertyList::maximumDepth + 1)},
        {"far too deep", nestedArrays(100000)},
    };
    for (const auto& [name, document] : cases) {
        const PropertyList::ReadResult result = PropertyList::read(document);
        EXPECT_EQ(result.status, PropertyList::Status::Unreadable) << name;
        EXPECT_FALSE(result.error.isEmpty()) << name;
    }
}

// Values without a plist form, and nesting past the cap, write nothing and say why.
TEST(PropertyList, RefusesToWriteValuesWithoutAPlistFormOrTooDeep) {
    QVariant deep = QVariantList();
    for (int i = 1; i < PropertyList::maximumDepth; ++i) {
        deep = QVariantMap{{"k", deep}};
    }
    EXPECT_FALSE(PropertyList::write(deep).isEmpty());
    for (const QVariant& value :
         {QVariant(QVariantList{deep}), QVariant::fromValue(QDir()), QVariant(),
          QVariant(QVariantList{1, QVariant()}), QVariant(QDateTime())}) {
        QString error;
        EXPECT_TRUE(PropertyList::write(value, &error).isEmpty()) << value.typeName();
        EXPECT_FALSE(error.isEmpty()) << value.typeName();
    }
}

class PropertyListFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::clearStorageFolders();
        folder = testing::dataFolder();
        path = folder + QStringLiteral("/file.plist");
    }
    QString folder;
    QString path;
};

// Atomic writes leave no temporary file, a failed write keeps the old file, folders are made,
// and a missing file is told apart from an unreadable one.
TEST_F(PropertyListFileTest, WritesAtomicallyAndReadsBack) {
    ASSERT_TRUE(PropertyList::writeFile(path, QVariantList{QStringLiteral("first")}));
    ASSERT_TRUE(PropertyList::writeFile(path, QVariantList{QStringLiteral("second")}));
    const QByteArray before = readBytes(path);
    EXPECT_FALSE(PropertyList::writeFile(path, QVariantList{QVariant::fromValue(QDir())}));
    const PropertyList::ReadResult result = PropertyList::readFile(path);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value.toList(), QVariantList{QStringLiteral("second")});
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(folderEntries(folder), QStringList{"file.plist"});
    ASSERT_TRUE(PropertyList::writeFile(folder + QStringLiteral("/a/b/c.plist"), QVariantMap()));
    EXPECT_TRUE(PropertyList::readFile(folder + QStringLiteral("/a/b/c.plist")).ok());
    EXPECT_EQ(PropertyList::readFile(path + "x").status, PropertyList::Status::Missing);
    ASSERT_TRUE(writeBytes(path, "garbage"));
    EXPECT_EQ(PropertyList::readFile(path).status, PropertyList::Status::Unreadable);
    EXPECT_EQ(PropertyList::readFile(folder).status, PropertyList::Status::Unreadable);
}

TEST_F(PropertyListFileTest, KeepAsideRenamesWithoutOverwriting) {
    ASSERT_TRUE(writeBytes(path, "first"));
    const QString first = PropertyList::keepAside(path);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_TRUE(first.startsWith(path + QStringLiteral(".unreadable-")));
    ASSERT_TRUE(writeBytes(path, "second"));
    const QString second = PropertyList::keepAside(path);
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
    EXPECT_EQ(readBytes(first), "first");
    EXPECT_EQ(readBytes(second), "second");
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(PropertyList::keepAside(path).isEmpty());
}

}  // namespace
}  // namespace plotwise
