#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "PreferenceSample.h"
#include "StorageTestSupport.h"
#include "app/storage/ApplicationIdentity.h"
#include "app/storage/PreferenceStore.h"

namespace plotwise {
namespace {

using testing::readBytes;

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

    QTemporaryDir root;
    QString configFolder;
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

}  // namespace
}  // namespace plotwise
