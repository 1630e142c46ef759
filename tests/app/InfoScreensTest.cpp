#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPdfView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/screens/info/RVPWHelpViewController.h"
#include "app/screens/info/RVPWInfoViewController.h"
#include "app/storage/ApplicationIdentity.h"

namespace plotwise {
namespace {

TEST(AboutScreen, ShowsTheVersionTheCreditsAndALogoAndIsDoneOnDone) {
    QCoreApplication::setApplicationVersion(QStringLiteral("7.3.1"));
    RVPWInfoViewController about;
    QCoreApplication::setApplicationVersion(QString());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    EXPECT_TRUE(about.version()->text().contains(QStringLiteral("7.3.1")));
    EXPECT_EQ(about.titles()->text(),
              QStringLiteral("Programming:\n\nTesting / Documentation:\nGraphic Design:"));
    // The names line up with the titles line for line.
    EXPECT_EQ(about.names()->text().count(QLatin1Char('\n')),
              about.titles()->text().count(QLatin1Char('\n')));
    EXPECT_EQ(about.sizeHint(), QSize(320, 416));
    const QImage logo = about.logo()->pixmap().toImage();
    ASSERT_FALSE(logo.isNull());
    int inked = 0;
    for (int y = 0; y < logo.height(); y += 4) {
        for (int x = 0; x < logo.width(); x += 4) {
            inked += qAlpha(logo.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 50) << "the logo draws something";
    QSignalSpy done(&about, &RVPWInfoViewController::done);
    about.doneButton()->click();
    EXPECT_EQ(done.count(), 1);
}

QString allText(QPdfDocument& document) {
    QString text;
    for (int page = 0; page < document.pageCount(); ++page) {
        text += document.getAllText(page).text() + QLatin1Char('\n');
    }
    // Lines break where the page does; words are what is looked for.
    return text.simplified();
}

TEST(HelpDocument, OpensAndNamesEveryActionItsShortcutAndTheLanguage) {
    QPdfDocument document;
    ASSERT_EQ(document.load(QString::fromLatin1(RVPWHelpViewController::helpDocumentPath)),
              QPdfDocument::Error::None);
    EXPECT_GE(document.pageCount(), 2);
    const QString text = allText(document);
    const char* const expected[] = {
        // Toolbar and share menu actions.
        "New equation", "Equations", "Library", "Reset View", "3D / 2D", "Share", "Copy Image",
        "Save to Pictures", "Email", "Export", "Help", "About", "Settings", "More", "Quit",
        // Their shortcuts.
        "Ctrl+N", "Ctrl+E", "Ctrl+L", "Ctrl+R", "Ctrl+2", "Ctrl+3", "Ctrl+C", "Ctrl+S", "Ctrl+M",
        "F1", "Ctrl+I", "Ctrl+,", "Ctrl+Q",
        // Gestures and the language.
        "Pinch", "Touch and hold", "Double tap", "Scroll wheel", "right button", "d/dx", "logn",
        "torad", "if(c, u, v)", "≤", "support@plotwise.org"};
    for (const char* phrase : expected) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << phrase;
    }
    // Every one of the 28 functions is named.
    for (const char* function :
         {"abs",  "acos",  "asin", "atan", "ceil",  "cos",   "cosh", "cot", "coth", "csc",
          "csch", "floor", "if",   "ln",   "log",   "log2",  "max",  "min", "sec",  "sech",
          "sin",  "sinh",  "tan",  "tanh", "todeg", "torad", "mod",  "logn"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(function) + QLatin1Char('('))) << function;
    }
}

TEST(HelpScreen, ShowsTheDocumentAndIsDoneOnDone) {
    RVPWHelpViewController help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Help"));
    ASSERT_EQ(help.pdfView()->document(), help.document());
    EXPECT_GT(help.document()->pageCount(), 0);
    QSignalSpy done(&help, &RVPWHelpViewController::done);
    help.doneButton()->click();
    EXPECT_EQ(done.count(), 1);
}

// PATH holds only a folder of ours, with or without a fake xdg-email that records its arguments.
class ContactUs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        path_ = qgetenv("PATH");
        qputenv("PATH", folder_.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("PATH", path_); }
    void installFakeMailProgram() {
        QFile script(folder_.filePath(QStringLiteral("xdg-email")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        // One argument a line, written whole at the end (the test waits for the file).
        script.write(
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
            "mv \"$0.tmp\" \"$0.args\"\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
    QTemporaryDir folder_;
    QByteArray path_;
};

TEST_F(ContactUs, RunsTheMailProgramWithExactlyItsArguments) {
    installFakeMailProgram();
    RVPWHelpViewController help;
    help.envelopeButton()->click();
    QFile arguments(folder_.filePath(QStringLiteral("xdg-email.args")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return arguments.exists(); }, 10000));
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(arguments.readAll()),
              QStringLiteral("--utf8\n--subject\nPlotwise Comments\n%1\n")
                  .arg(QString::fromLatin1(kSupportAddress)));
    EXPECT_EQ(help.alert(), nullptr);
}

TEST_F(ContactUs, WithoutAMailProgramSaysSoAndNothingRuns) {
    RVPWHelpViewController help;
    help.show();
    help.contactUs();
    ASSERT_NE(help.alert(), nullptr);
    EXPECT_TRUE(help.alert()->isVisible());
    EXPECT_EQ(help.alert()->text(), QStringLiteral("This device is not configured to send mail"));
    ASSERT_EQ(help.alert()->buttons().size(), 1);
    EXPECT_EQ(help.alert()->buttons().front()->text(), QStringLiteral("Ok"));
    help.alert()->buttons().front()->click();
    QTRY_COMPARE(help.alert(), nullptr);
}

TEST_F(ContactUs, AMailProgramThatCannotStartIsAnErrorWithItsReason) {
    QFile script(folder_.filePath(QStringLiteral("xdg-email")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/nonexistent/interpreter\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    RVPWHelpViewController help;
    help.contactUs();
    ASSERT_NE(help.alert(), nullptr);
    EXPECT_EQ(help.alert()->text(), QStringLiteral("There was an error with your email:"));
    EXPECT_FALSE(help.alert()->informativeText().isEmpty());
}

}  // namespace
}  // namespace plotwise
