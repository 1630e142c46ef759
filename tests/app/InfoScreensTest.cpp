#include <gtest/gtest.h>

#include <QCoreApplication>
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
#include "engine/FunctionLibrary.h"

namespace plotwise {
namespace {

// Dark pixels (text, lines) in `area` of a shown screen's grab, on a grid of 2.
int darkPixels(QWidget& screen, const QRect& area) {
    screen.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&screen));
    QTest::qWait(100);  // pages of the PDF view are rendered after the first paint
    const QImage image = screen.grab().toImage();
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2) {
        for (int x = area.left(); x <= area.right(); x += 2) {
            dark += qGray(image.pixel(x, y)) < 90 ? 1 : 0;
        }
    }
    return dark;
}

TEST(AboutScreen, ShowsTheVersionCreditsAndLogoAndIsDoneOnDone) {
    QCoreApplication::setApplicationVersion(QStringLiteral("7.3.1"));
    RVPWInfoViewController about;
    QCoreApplication::setApplicationVersion(QString());
    EXPECT_TRUE(about.version()->text().contains(QStringLiteral("7.3.1")));
    EXPECT_EQ(about.names()->text().count(u'\n'), about.titles()->text().count(u'\n'))
        << "a name line per title line";
    about.resize(about.sizeHint());
    EXPECT_GT(darkPixels(about, about.titles()->geometry()), 20);
    EXPECT_GT(darkPixels(about, about.names()->geometry()), 20);
    const QImage logo = about.logo()->pixmap().toImage();
    EXPECT_NE(logo.pixelColor(logo.rect().center()), logo.pixelColor(0, 0)) << "a drawn logo";
    QSignalSpy done(&about, &RVPWInfoViewController::done);
    about.doneButton()->click();
    EXPECT_EQ(done.count(), 1);
}

// Every function the parser knows, the shortcuts, gestures and the address for comments.
TEST(HelpScreen, ShowsADocumentNamingEveryFunctionShortcutAndGesture) {
    RVPWHelpViewController help;
    QPdfDocument* document = help.pdfView()->document();
    ASSERT_TRUE(document != nullptr && document->pageCount() >= 2);
    QString text;
    for (int page = 0; page < document->pageCount(); ++page) {
        text += document->getAllText(page).text() + u' ';
    }
    text = text.simplified();
    QStringList phrases = QStringLiteral(
                              "Ctrl+N|Ctrl+E|Ctrl+L|Ctrl+R|Ctrl+2|Ctrl+3|Ctrl+C|Ctrl+S|"
                              "Ctrl+M|F1|Ctrl+I|Ctrl+,|Ctrl+Q|Pinch|Touch and hold|"
                              "Double tap|Scroll wheel|d/dx|≤|support@plotwise.org")
                              .split(u'|');
    for (const std::u16string& name : functionNames()) {
        if (!name.starts_with(u"d/d")) {  // written "d/dx" alone
            phrases.append(QString::fromStdU16String(name) + u'(');
        }
    }
    for (const QString& phrase : phrases) {
        EXPECT_TRUE(text.contains(phrase)) << phrase.toStdString();
    }
    help.resize(480, 720);
    EXPECT_GT(darkPixels(help, help.pdfView()->geometry()), 200);
    QSignalSpy done(&help, &RVPWHelpViewController::done);
    help.doneButton()->click();
    EXPECT_EQ(done.count(), 1);
}

// The envelope hands xdg-email the address and subject, or says why it cannot.
TEST(HelpScreen, TheEnvelopeRunsTheMailProgramOrSaysWhyItCannot) {
    const char* cases[][2] = {
        // Records its arguments one a line, written whole at the end.
        {"#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
         "/bin/mv \"$0.tmp\" \"$0.args\"\n",
         ""},
        {nullptr, "This device is not configured to send mail"},
        {"#!/nonexistent/interpreter\n", "There was an error with your email:"}};
    const QByteArray path = qgetenv("PATH");
    for (const auto& [script, alert] : cases) {
        SCOPED_TRACE(alert);
        QTemporaryDir folder;
        qputenv("PATH", folder.path().toLocal8Bit());
        QFile file(folder.filePath(QStringLiteral("xdg-email")));
        if (script != nullptr) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(script) > 0);
            file.close();
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        RVPWHelpViewController help;
        help.envelopeButton()->click();
        qputenv("PATH", path);
        if (*alert == '\0') {
            QFile arguments(file.fileName() + QStringLiteral(".args"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return arguments.exists(); }, 10000));
            ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
            EXPECT_EQ(arguments.readAll(),
                      "--utf8\n--subject\nPlotwise Comments\nsupport@plotwise.org\n");
        }
        EXPECT_EQ(help.alert() ? help.alert()->text() : QString(), QString::fromUtf8(alert));
        if (help.alert() != nullptr) {
            EXPECT_EQ(help.alert()->informativeText().isEmpty(), script == nullptr);
            help.alert()->buttons().front()->click();
            QTRY_COMPARE(help.alert(), nullptr);
        }
    }
}

}  // namespace
}  // namespace plotwise
