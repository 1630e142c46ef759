#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "PreferenceSample.h"
#include "StorageTestSupport.h"
#include "app/storage/ApplicationIdentity.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/PropertyList.h"

namespace plotwise {
namespace {

using testing::readBytes;
using testing::writeBytes;

struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs another program with its own XDG folders (under `root`) and locale.
class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        configFolder =
            root.path() + QStringLiteral("/config/") + kOrganizationName + u'/' + kApplicationName;
        dataFolder =
            root.path() + QStringLiteral("/data/") + kOrganizationName + u'/' + kApplicationName;
    }

    ProcessRun run(const QString& program, const QStringList& arguments, const QString& locale) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", root.path());
        environment.insert("XDG_CONFIG_HOME", root.path() + QStringLiteral("/config"));
        environment.insert("XDG_DATA_HOME", root.path() + QStringLiteral("/data"));
        environment.insert("LC_ALL", locale);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        ProcessRun result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    ProcessRun helper(const char* mode, const QString& locale) {
        return run(QStringLiteral(PLOTWISE_PREFERENCE_HELPER), {QString::fromLatin1(mode)}, locale);
    }

    ProcessRun cli(const QStringList& arguments) {
        return run(QStringLiteral(PLOTWISE_CLI), arguments, QStringLiteral("C.UTF-8"));
    }

    QTemporaryDir root;
    QString configFolder;
    QString dataFolder;
};

constexpr char german[] = "de_DE.UTF-8";

// Written by one process, read by the next, with the writer and the reader under different
// locales in either direction.
TEST_F(ProcessTest, PreferencesComeBackExactlyInTheNextProcess) {
    const std::vector<std::pair<const char*, const char*>> locales = {
        {"C.UTF-8", "C.UTF-8"}, {german, "C.UTF-8"}, {"C.UTF-8", german}, {german, german}};
    for (const auto& [writer, reader] : locales) {
        QDir(root.path()).removeRecursively();
        QDir().mkpath(root.path());
        const ProcessRun written = helper("write", QString::fromLatin1(writer));
        ASSERT_EQ(written.exitCode, 0) << writer << ": " << written.err.toStdString();
        const char* point = writer == std::string_view(german) ? "," : ".";
        // The German runs must really have a decimal comma, or they prove nothing.
        ASSERT_TRUE(written.out.contains(QStringLiteral("decimal point: ") + point))
            << writer << ": " << written.out.toStdString();

        const ProcessRun verified = helper("verify", QString::fromLatin1(reader));
        EXPECT_EQ(verified.exitCode, 0)
            << writer << " -> " << reader << ": " << verified.err.toStdString();

        const QString path = configFolder + QStringLiteral("/preferences.plist");
        const QByteArray file = readBytes(path);
        EXPECT_TRUE(file.contains("<real>0.1</real>")) << writer;
        EXPECT_FALSE(file.contains("<real>0,1</real>")) << writer;
        PreferenceStore store(path);
        EXPECT_EQ(testing::preferenceSampleDifferences(store), QStringList()) << writer;
    }
}

QStringList lines(const QString& text) {
    QStringList result = text.split(u'\n');
    if (!result.isEmpty() && result.back().isEmpty()) {
        result.removeLast();
    }
    return result;
}

TEST_F(ProcessTest, CliListsTheExamplesWithoutAFile) {
    const ProcessRun plain = cli({"library"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const QStringList rows = lines(plain.out);
    ASSERT_EQ(rows.size(), 13);
    EXPECT_EQ(rows[0], "y=x^2\tCartesian example - Parabola");
    EXPECT_EQ(rows[12], "y<sin(5r)\tInequality example");
    EXPECT_TRUE(plain.err.isEmpty());

    const ProcessRun threeD = cli({"library", "--3d"});
    ASSERT_EQ(threeD.exitCode, 0);
    const QStringList rows3D = lines(threeD.out);
    ASSERT_EQ(rows3D.size(), 14);
    EXPECT_EQ(rows3D[9], QString::fromUtf8("Θ=r+cos(1/z)\t"));
    // Loading wrote nothing.
    EXPECT_FALSE(QDir(dataFolder).exists());
}

TEST_F(ProcessTest, CliJsonDescribesEveryEquation) {
    const ProcessRun json = cli({"library", "--json", "--3d"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out.toStdString();
    const QJsonArray items = document.array();
    ASSERT_EQ(items.size(), 14);
    const QJsonObject first = items[0].toObject();
    EXPECT_EQ(first.keys(),
              (QStringList{"caption", "color", "expressionString", "notes", "type", "visible"}));
    EXPECT_EQ(first["expressionString"].toString(), "z=y^2/16-x^2/25");
    EXPECT_EQ(first["caption"].toString(), "Cartesian example - Hyperbolic paraboloid");
    EXPECT_EQ(first["notes"].toString(), "Example of an explicit cartesian equation");
    EXPECT_EQ(first["type"].toInt(), 2);
    EXPECT_EQ(first["color"].toString(), "000000");
    EXPECT_EQ(first["visible"].toBool(false), true);
    EXPECT_EQ(items[12].toObject()["type"].toInt(), 7);
}

TEST_F(ProcessTest, CliReadsTheStoredLibrary) {
    QVariantMap dictionary;
    dictionary.insert("expressionString", QString::fromUtf8("r=2⋅Θ"));
    dictionary.insert("expressionColor", "12AB3480");
    dictionary.insert("expressionVisibile", false);
    dictionary.insert("expressionCaption", QStringLiteral("Spiral\twith\ttabs"));
    dictionary.insert("expressionNotes", QStringLiteral("two\nlines"));
    QVariantMap colourless;
    colourless.insert("expressionString", QStringLiteral("y=x"));
    const QVariantList items = {dictionary, QStringLiteral("x=y^2"), QStringLiteral("y=("),
                                qlonglong(5), colourless};
    ASSERT_TRUE(
        PropertyList::writeFile(dataFolder + QStringLiteral("/expressions2D.plist"), items));

    const ProcessRun plain = cli({"library"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_EQ(lines(plain.out),
              (QStringList{QString::fromUtf8("r=2⋅Θ\tSpiral with tabs"), "x=y^2\t", "y=x\t"}));

    const ProcessRun json = cli({"library", "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(array.size(), 3);
    EXPECT_EQ(array[0].toObject()["color"].toString(), "12AB3480");
    EXPECT_EQ(array[0].toObject()["visible"].toBool(true), false);
    EXPECT_EQ(array[0].toObject()["caption"].toString(), "Spiral\twith\ttabs");
    EXPECT_EQ(array[0].toObject()["notes"].toString(), "two\nlines");
    EXPECT_EQ(array[0].toObject()["type"].toInt(), 3);
    EXPECT_EQ(array[1].toObject()["color"].toString(), "FF0000");
    EXPECT_EQ(array[1].toObject()["type"].toInt(), 0);
    EXPECT_TRUE(array[2].toObject()["color"].isNull());
}

TEST_F(ProcessTest, CliShowsTheExamplesForAnUnreadableFileAndLeavesItAlone) {
    const QString path = dataFolder + QStringLiteral("/expressions2D.plist");
    const QByteArray bytes = "<?xml version=\"1.0\"?><plist><array><string>y=x";
    ASSERT_TRUE(writeBytes(path, bytes));
    const ProcessRun plain = cli({"library"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(lines(plain.out).size(), 13);
    EXPECT_TRUE(plain.err.contains("cannot be read")) << plain.err.toStdString();
    EXPECT_EQ(lines(plain.err).size(), 1);
    EXPECT_EQ(readBytes(path), bytes);
    EXPECT_EQ(QDir(dataFolder).entryList(QDir::Files), QStringList{"expressions2D.plist"});
}

TEST_F(ProcessTest, CliRefusesBadUsage) {
    for (const QStringList& arguments :
         {QStringList{"library", "--bogus"}, QStringList{"library", "extra"}}) {
        const ProcessRun result = cli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_EQ(lines(result.err).size(), 1);
    }
}

}  // namespace
}  // namespace plotwise
