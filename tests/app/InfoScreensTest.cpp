#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

namespace plotwise {
namespace {

// Dark pixels (text, lines) in `area` of a grab, on a grid of 2.
int darkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2) {
        for (int x = area.left(); x <= area.right(); x += 2) {
            dark += qGray(image.pixel(x, y)) < 90 ? 1 : 0;
        }
    }
    return dark;
}

// The grab of a shown screen, also kept in PLOTWISE_SCREENSHOT_DIR when that is set.
QImage grabbed(QWidget& screen, const char* name) {
    screen.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&screen));
    QTest::qWait(100);  // pages of the PDF view are rendered after the first paint
    const QImage image = screen.grab().toImage();
    if (const QString folder = qEnvironmentVariable("PLOTWISE_SCREENSHOT_DIR"); !folder.isEmpty()) {
        image.save(QDir(folder).filePath(QString::fromLatin1(name)));
    }
    return image;
}

TEST(AboutScreen, ShowsTheVersionCreditsAndLogoAndIsDoneOnDone) {
    QCoreApplication::setApplicationVersion(QStringLiteral("7.3.1"));
    RVPWInfoViewController about;
    QCoreApplication::setApplicationVersion(QString());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    EXPECT_TRUE(about.version()->text().contains(QStringLiteral("7.3.1")));
    EXPECT_EQ(about.titles()->text(),
              QStringLiteral("Programming:\n\nTesting / Documentation:\nGraphic Design:"));
    EXPECT_EQ(about.names()->text().count(QLatin1Char('\n')), 3) << "a name line per title line";
    EXPECT_EQ(about.sizeHint(), QSize(320, 416));
    about.resize(about.sizeHint());
    const QImage image = grabbed(about, "about.png");
    EXPECT_GT(darkPixels(image, about.titles()->geometry()), 20);
    EXPECT_GT(darkPixels(image, about.names()->geometry()), 20);
    const QImage logo = about.logo()->pixmap().toImage();
    EXPECT_NE(logo.pixelColor(logo.rect().center()), logo.pixelColor(0, 0)) << "a drawn logo";
    QSignalSpy done(&about, &RVPWInfoViewController::done);
    about.doneButton()->click();
    EXPECT_EQ(done.count(), 1);
}

TEST(HelpScreen, ShowsADocumentNamingEveryActionShortcutGestureAndFunction) {
    RVPWHelpViewController help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Help"));
    QPdfDocument* document = help.pdfView()->document();
    ASSERT_NE(document, nullptr);
    ASSERT_GE(document->pageCount(), 2);
    QString text;
    for (int page = 0; page < document->pageCount(); ++page) {
        text += document->getAllText(page).text() + QLatin1Char(' ');
    }
    text = text.simplified();
    // Actions, shortcuts, gestures, the language and all 28 functions.
    const QStringList phrases =
        QStringLiteral(
            "New equation|Equations|Library|Reset View|3D / 2D|Share|Copy Image|Save to Pictures|"
            "Email|Export|Help|About|Settings|More|Quit|Ctrl+N|Ctrl+E|Ctrl+L|Ctrl+R|Ctrl+2|Ctrl+3|"
            "Ctrl+C|Ctrl+S|Ctrl+M|F1|Ctrl+I|Ctrl+,|Ctrl+Q|Pinch|Touch and hold|Double tap|"
            "Scroll wheel|right button|d/dx|≤|support@plotwise.org|abs(|acos(|asin(|atan(|ceil(|"
            "cos(|cosh(|cot(|coth(|csc(|csch(|floor(|if(|ln(|log(|log2(|max(|min(|sec(|sech(|sin(|"
            "sinh(|tan(|tanh(|todeg(|torad(|mod(|logn(")
            .split(QLatin1Char('|'));
    for (const QString& phrase : phrases) {
        EXPECT_TRUE(text.contains(phrase)) << phrase.toStdString();
    }
    help.resize(480, 720);
    EXPECT_GT(darkPixels(grabbed(help, "help.png"), help.pdfView()->geometry()), 200);
    QSignalSpy done(&help, &RVPWHelpViewController::done);
    help.doneButton()->click();
    EXPECT_EQ(done.count(), 1);
}

TEST(HelpScreen, TheEnvelopeRunsTheMailProgramOrSaysWhyItCannot) {
    struct Case {
        const char* script;  // the xdg-email on PATH, or none
        const char* alert;   // "" when the program ran
    };
    const Case cases[] = {
        // Records its arguments one a line, written whole at the end.
        {"#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
         "/bin/mv \"$0.tmp\" \"$0.args\"\n",
         ""},
        {nullptr, "This device is not configured to send mail"},
        {"#!/nonexistent/interpreter\n", "There was an error with your email:"},
    };
    const QByteArray path = qgetenv("PATH");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alert);
        QTemporaryDir folder;
        qputenv("PATH", folder.path().toLocal8Bit());
        QFile script(folder.filePath(QStringLiteral("xdg-email")));
        if (c.script != nullptr) {
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(c.script);
            script.close();
            script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        RVPWHelpViewController help;
        help.envelopeButton()->click();
        qputenv("PATH", path);
        if (*c.alert == '\0') {
            QFile arguments(script.fileName() + QStringLiteral(".args"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return arguments.exists(); }, 10000));
            ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
            EXPECT_EQ(arguments.readAll(),
                      "--utf8\n--subject\nPlotwise Comments\nsupport@plotwise.org\n");
            EXPECT_EQ(help.alert(), nullptr);
            continue;
        }
        ASSERT_NE(help.alert(), nullptr);
        EXPECT_EQ(help.alert()->text(), QString::fromUtf8(c.alert));
        EXPECT_EQ(help.alert()->informativeText().isEmpty(), c.script == nullptr);
        ASSERT_EQ(help.alert()->buttons().size(), 1);
        EXPECT_EQ(help.alert()->buttons().front()->text(), QStringLiteral("Ok"));
        help.alert()->buttons().front()->click();
        QTRY_COMPARE(help.alert(), nullptr);
    }
}

}  // namespace
}  // namespace plotwise
