#include <gtest/gtest.h>

#include <unistd.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <vector>

#include "app/shell/sharing/MailAttachments.h"
#include "app/shell/sharing/MailFolder.h"
#include "app/shell/sharing/PictureSaver.h"
#include "app/shell/sharing/PlaneImageExport.h"
#include "app/shell/sharing/RVPWShareController.h"
#include "app/widgets/RVLoadingView.h"
#include "engine/VariableTable.h"
#include "equations/RVEquation.h"
#include "graph2d/view/RVEquation2DView.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {
namespace {

const QRegularExpression kPictureName(
    QStringLiteral("^Plotwise \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d( \\d+)?\\.png$"));

// A plane image no two pixels of which are alike along a row, so any swap or crop shows.
QImage planePicture(QSize size = QSize(120, 80)) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 2, y * 3, (x + y) % 256));
        }
    }
    return image;
}

bool nearColour(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2 && std::abs(a.alpha() - b.alpha()) <= 2;
}

bool sameImage(QImage a, QImage b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

void writeFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    if (executable) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
    }
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A share controller over a host widget, a fixed plane image and equations of our own; the
// environment a test changes (PATH, the pictures folder) is put back afterwards.
class Sharing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.isValid());
        qRegisterMetaType<QMessageBox*>();
        path_ = qgetenv("PATH");
        host_ = std::make_unique<QWidget>();
        host_->resize(400, 300);
        host_->show();
        RVPWShareController::Source source;
        source.planeImage = [this] { return image_; };
        source.visibleEquations = [this] {
            QList<const RVEquation*> list;
            for (const auto& equation : equations_) {
                list.append(equation.get());
            }
            return list;
        };
        source.exportPlane = [this](const QString& path, const QString& format, QString* error) {
            exports_.append({path, format});
            *error = exportError_;
            return exportError_.isEmpty();
        };
        controller_ = std::make_unique<RVPWShareController>(host_.get(), source);
        alerts_ = std::make_unique<QSignalSpy>(controller_.get(), &RVPWShareController::alertShown);
        saved_ = std::make_unique<QSignalSpy>(controller_.get(), &RVPWShareController::imageSaved);
    }

    void TearDown() override {
        controller_.reset();
        host_.reset();
        qputenv("PATH", path_);
        QFile::remove(userDirsFile());
        QFile::remove(cacheFolder());  // when a test put a file in its place
    }

    static QString cacheFolder() {
        return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    }
    static QString userDirsFile() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/user-dirs.dirs");
    }

    void addEquation(const QString& text, const QString& colour, bool visible) {
        const QVariantMap state{{RVEquation::expressionStringKey, text},
                                {RVEquation::expressionColorKey, colour},
                                {RVEquation::expressionVisibleKey, visible}};
        equations_.push_back(RVEquation::equationWithStateFromDictionary(state, table_.data()));
        ASSERT_NE(equations_.back(), nullptr) << text.toStdString();
    }

    // A fake xdg-email first on PATH that records its arguments (NUL-separated) and process id,
    // sleeps `seconds` and marks that it finished; xdg-mime names `handler` as the mailto program.
    QString installFakeMailClient(int seconds = 0,
                                  const QString& handler = QStringLiteral("thunderbird.desktop")) {
        const QString bin = scratch_.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QString record = scratch_.filePath(QStringLiteral("record"));
        writeFile(bin + QStringLiteral("/xdg-email"),
                  QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > "
                                 "'%1.tmp'\necho $$ > '%1.pid'\nmv '%1.tmp' '%1'\nsleep %2\n"
                                 "touch '%1.done'\n")
                      .arg(record)
                      .arg(seconds)
                      .toUtf8(),
                  true);
        writeFile(bin + QStringLiteral("/xdg-mime"),
                  QStringLiteral("#!/bin/sh\necho '%1'\n").arg(handler).toUtf8(), true);
        qputenv("PATH", QFile::encodeName(bin) + ':' + path_);
        return record;
    }

    QStringList recordedArguments(const QString& record) {
        if (!QTest::qWaitFor([&] { return QFile::exists(record); }, 5000)) {
            return {};
        }
        QStringList arguments = QString::fromUtf8(readFile(record)).split(u'\0');
        arguments.removeLast();  // after the last NUL
        return arguments;
    }

    // The alert shown, with its text, informative text and sorted button texts.
    QMessageBox* waitForAlert(const char* text) {
        if (alerts_->isEmpty() && !alerts_->wait(3000)) {
            ADD_FAILURE() << "no alert";
            return nullptr;
        }
        auto* alert = alerts_->takeFirst().first().value<QMessageBox*>();
        EXPECT_EQ(alert->text().toStdString(), text);
        return alert;
    }

    QStringList panelTexts() const {
        QStringList texts;
        for (const RVLoadingView* panel : host_->findChildren<RVLoadingView*>()) {
            texts.append(panel->label()->text());
        }
        return texts;
    }

    QTemporaryDir scratch_;
    QByteArray path_;
    VariableTable table_{};
    std::vector<std::unique_ptr<RVEquation>> equations_;
    QImage image_ = planePicture();
    QList<std::pair<QString, QString>> exports_;
    QString exportError_;
    std::unique_ptr<QWidget> host_;
    std::unique_ptr<RVPWShareController> controller_;
    std::unique_ptr<QSignalSpy> alerts_, saved_;
};

TEST_F(Sharing, TheMenuOpensBelowItsAnchorOrAboveWhenNoRoomIsLeftAndCopies) {
    const QRect screen = host_->screen()->availableGeometry();
    struct Case {
        int windowHeight, anchorY;
        bool below;
    };
    // A bar at the bottom of a window shorter than the screen (the phone's) still opens upwards.
    for (const Case& c : {Case{screen.height(), 0, true}, Case{screen.height(), -30, false},
                          Case{400, -30, false}}) {
        host_->setGeometry(QRect(screen.topLeft(), QSize(screen.width(), c.windowHeight)));
        QWidget anchor(host_.get());
        anchor.setGeometry(0, c.anchorY < 0 ? c.windowHeight + c.anchorY : c.anchorY, 40, 30);
        const int anchorTop = anchor.mapToGlobal(QPoint(0, 0)).y();
        controller_->showMenu(&anchor);
        QMenu* menu = controller_->menu();
        ASSERT_TRUE(menu != nullptr && QTest::qWaitForWindowExposed(menu));
        const QRect at = menu->geometry();
        EXPECT_TRUE(c.below ? at.top() >= anchorTop + 30 : at.bottom() < anchorTop)
            << c.windowHeight << " " << c.anchorY << " " << at.top() << ".." << at.bottom();
        menu->hide();
    }
    QStringList items;
    for (const QAction* action : controller_->menu()->actions()) {
        items.append(action->text() + u' ' + action->shortcut().toString());
    }
    EXPECT_EQ(items.join(u'|').toStdString(),
              "Copy Image Ctrl+C|Save to Pictures Ctrl+S|Email Ctrl+M|Export… ");
    controller_->copyImageAction()->trigger();
    EXPECT_TRUE(sameImage(QGuiApplication::clipboard()->image(), image_));
}

TEST_F(Sharing, TwoSavesWriteTwoPngsOfThePlanesSize) {
    for (int i = 0; i < 2; ++i) {
        controller_->saveImage();
        // The panel says "Saving..." before the file is written on the next turn.
        EXPECT_EQ(panelTexts().last().toStdString(), "Saving...");
        ASSERT_TRUE(saved_->wait(3000));
        const RVLoadingView* panel = host_->findChildren<RVLoadingView*>().last();
        EXPECT_EQ(panel->label()->text().toStdString(), "Saved!");
        EXPECT_FALSE(panel->activityIndicatorVisible());
    }
    EXPECT_NE(saved_->at(0), saved_->at(1));
    for (const QList<QVariant>& arguments : *saved_) {
        const QFileInfo file(arguments.first().toString());
        EXPECT_EQ(file.absolutePath(),
                  QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        EXPECT_TRUE(kPictureName.match(file.fileName()).hasMatch());
        EXPECT_TRUE(sameImage(QImage(file.filePath(), "png"), image_));
    }
    // "Saved!" goes after 0.4 s and a fade.
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelTexts().isEmpty(); }, 3000));
}

TEST_F(Sharing, AFolderThatCannotTakeThePictureGivesAnAlertAndNeverSaved) {
    const QString file = scratch_.filePath(QStringLiteral("a file"));
    writeFile(file, "not a folder");
    // A file where the folder or its parent belongs (a read-only folder takes files as root).
    for (const QString& folder : {file, file + QStringLiteral("/Pictures")}) {
        SCOPED_TRACE(folder.toStdString());
        writeFile(userDirsFile(), "XDG_PICTURES_DIR=\"" + QFile::encodeName(folder) + "\"\n");
        ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation), folder);
        controller_->saveImage();
        QMessageBox* alert = waitForAlert("There was an error saving the image:");
        ASSERT_NE(alert, nullptr);
        // The folder, then a reason.
        EXPECT_TRUE(alert->informativeText().startsWith(folder + u'\n'));
        EXPECT_GT(alert->informativeText().size(), folder.size() + 1);
        // The alert comes in the turn that would have said "Saved!".
        EXPECT_FALSE(panelTexts().contains(QStringLiteral("Saved!")));
        EXPECT_TRUE(saved_->isEmpty());
        alert->buttons().first()->click();
    }
}

TEST(PictureSaver, NeverReplacesAFileAndLeavesNothingOnFailure) {
    QTemporaryDir folder;
    const QDateTime time(QDate(2026, 12, 7), QTime(14, 5, 9));
    const QString stem = folder.filePath(PictureSaver::baseName(time));
    EXPECT_EQ(QFileInfo(stem).fileName().toStdString(), "Plotwise 2026-12-07 14.05.09");
    writeFile(stem + QStringLiteral(".png"), "someone's picture");
    // A dangling link is a name taken too: writing through it would land elsewhere.
    QFile::link(folder.filePath(QStringLiteral("elsewhere")), stem + QStringLiteral(" 2.png"));

    const QImage image = planePicture(QSize(7, 5));
    const PictureSaver::Result third = PictureSaver::save(image, folder.path(), time);
    EXPECT_EQ(third.path, stem + QStringLiteral(" 3.png")) << third.error.toStdString();
    EXPECT_TRUE(sameImage(QImage(third.path), image));
    EXPECT_EQ(readFile(stem + QStringLiteral(".png")), "someone's picture");
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("elsewhere"))));
    EXPECT_EQ(PictureSaver::save(image, folder.path(), time).path, stem + QStringLiteral(" 4.png"));

    const QStringList before = QDir(folder.path()).entryList(QDir::Files | QDir::System);
    const PictureSaver::Result empty = PictureSaver::save(QImage(), folder.path(), time);
    EXPECT_TRUE(!empty.ok() && empty.path.isEmpty());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System), before);
}

// The mail client gets the visible equations and the graph, and outlives the application.
TEST_F(Sharing, EmailHandsXdgEmailTheVisibleEquationsAndTheGraph) {
    addEquation(QStringLiteral("y<sin(5r)"), QStringLiteral("FF0000"), true);
    addEquation(QStringLiteral("y=x^3"), QStringLiteral("00FF00"), false);
    addEquation(QStringLiteral("x^2+y^2=4"), QStringLiteral("0000FF80"), true);
    const QString record = installFakeMailClient(1);
    QSignalSpy started(controller_.get(), &RVPWShareController::mailClientStarted);

    controller_->emailAction()->trigger();
    EXPECT_EQ(panelTexts().join(u'|').toStdString(), "Composing...");
    const QStringList arguments = recordedArguments(record);
    ASSERT_EQ(arguments.size(), 11) << arguments.join(u' ').toStdString();
    const QString folder = QFileInfo(arguments.at(6)).absolutePath();
    EXPECT_EQ(arguments.join(u'|'),
              QStringLiteral("--utf8|--subject|Graph|--body|y<sin(5r)\nx^2+y^2=4\n\nCreated with "
                             "Plotwise https://plotwise.org|--attach|%1/expression0.png|--attach|"
                             "%1/expression1.png|--attach|%1/graph.png")
                  .arg(folder));
    EXPECT_TRUE(folder.startsWith(MailFolder::location() + u'/'));
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        << "the folder is the user's alone";
    // Each formula with a dot in the equation's colour on its left.
    const std::vector<std::pair<int, QColor>> visible{{0, Qt::red}, {2, QColor(0, 0, 255, 128)}};
    for (std::size_t i = 0; i < visible.size(); ++i) {
        const QImage formula = ExpressionImage::expressionImageWithColor(
            *equations_[visible[i].first]->expression(), Qt::black, Qt::black,
            MailAttachments::formulaDepth, 1.0);
        const QImage attached(arguments.at(6 + 2 * static_cast<int>(i)), "png");
        EXPECT_EQ(attached.size(), formula.size() + QSize(22, 0));
        const QColor dot = attached.pixelColor(10, (attached.height() - 20) / 2 + 8);
        EXPECT_TRUE(nearColour(dot, visible[i].second)) << dot.name(QColor::HexArgb).toStdString();
    }
    EXPECT_TRUE(sameImage(QImage(arguments.at(10), "png"), image_));
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelTexts().isEmpty(); }, 3000));

    ASSERT_TRUE(started.size() == 1 || started.wait(3000));
    const qint64 pid = started.first().first().toLongLong();
    EXPECT_EQ(readFile(record + QStringLiteral(".pid")).trimmed().toLongLong(), pid);
    // The screen and its controller go, as when the application quits.
    controller_.reset();
    host_.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(::kill(static_cast<pid_t>(pid), 0), 0) << "the mail client is still running";
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(record + QStringLiteral(".done")); }, 5000));
}

// With xdg-email but no mailto program it would fail once the app let go (without xdg-email at
// all, the help screen's envelope test shows the same alert).
TEST_F(Sharing, WithoutAMailProgramTheAlertOffersSaveAndCopy) {
    const QString record = installFakeMailClient(0, QString());
    controller_->email();
    QMessageBox* alert = waitForAlert("This device is not configured to send mail");
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(panelTexts().isEmpty()) << "nothing is composed";
    QStringList buttons;
    QAbstractButton* save = nullptr;
    for (QAbstractButton* button : alert->buttons()) {
        buttons.append(button->text());
        save = button->text() == QStringLiteral("Save to Pictures") ? button : save;
    }
    buttons.sort();
    EXPECT_EQ(buttons.join(u'|').toStdString(), "Copy Image|Ok|Save to Pictures");
    ASSERT_NE(save, nullptr);
    save->click();
    ASSERT_TRUE(saved_->wait(3000));
    EXPECT_TRUE(sameImage(QImage(saved_->takeFirst().first().toString()), image_));
    EXPECT_FALSE(QFile::exists(record));
}

TEST_F(Sharing, AttachmentsThatCannotBeWrittenAreReportedAsAnEmailError) {
    const QString record = installFakeMailClient();
    QDir().mkpath(QFileInfo(cacheFolder()).absolutePath());
    QDir(cacheFolder()).removeRecursively();
    writeFile(cacheFolder(), "a file where the cache folder belongs");
    controller_->email();
    QMessageBox* alert = waitForAlert("There was an error with your email:");
    EXPECT_FALSE(alert == nullptr || alert->informativeText().isEmpty());
    EXPECT_FALSE(QFile::exists(record)) << "the mail client was not started";
}

TEST(MailFolder, StaleFoldersGoAndEverythingElseStays) {
    const QString base = MailFolder::location() + QStringLiteral("/");
    const QString dead = base + QStringLiteral("mail-2147483000-abcDEF");
    const QString running = base + QStringLiteral("mail-%1-abcdef").arg(getppid());
    const QString earlierHere =
        base + QStringLiteral("mail-%1-zzzzzz").arg(QCoreApplication::applicationPid());
    const QString unrelated = base + QStringLiteral("notes");
    for (const QString& folder : {dead, running, earlierHere, unrelated}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        writeFile(folder + QStringLiteral("/graph.png"), "png");
    }
    QTemporaryDir outside;
    writeFile(outside.filePath(QStringLiteral("keep")), "kept");
    const QString link = base + QStringLiteral("mail-2147483001-linked");
    ASSERT_TRUE(QFile::link(outside.path(), link));
    QString error;
    const QString current = MailFolder::create(&error);
    ASSERT_FALSE(current.isEmpty()) << error.toStdString();

    // A dead process's folder and one of an earlier launch with our pid.
    EXPECT_EQ(MailFolder::removeStale(), 2);
    EXPECT_FALSE(QFileInfo::exists(dead) || QFileInfo::exists(earlierHere));
    for (const QString& kept : {running, unrelated, current}) {
        EXPECT_TRUE(QFileInfo(kept).isDir()) << kept.toStdString();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(outside.filePath(QStringLiteral("keep"))), "kept");
    EXPECT_EQ(MailFolder::removeStale(), 0);
}

TEST_F(Sharing, ExportPicksTheFormatFromTheNameOrTheFilter) {
    const QString dir = scratch_.path() + u'/';
    const char* cases[][4] = {{"a.SVG", "png", "a.SVG", "svg"},
                              {"b", "pdf", "b.pdf", "pdf"},
                              {"c.jpg", "png", "c.jpg.png", "png"}};
    for (const auto& [name, filter, written, format] : cases) {
        EXPECT_TRUE(
            controller_->exportTo(dir + QString::fromUtf8(name), QString::fromUtf8(filter)));
        EXPECT_EQ(exports_.value(exports_.size() - 1),
                  std::make_pair(dir + QString::fromUtf8(written), QString::fromUtf8(format)));
    }

    exportError_ = QStringLiteral("No space left on device");
    EXPECT_FALSE(controller_->exportTo(dir + QStringLiteral("d.pdf"), QStringLiteral("png")));
    QMessageBox* alert = waitForAlert("There was an error exporting the image:");
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->informativeText().contains(exportError_));
}

TEST(PlaneImageExport, WritesEachFormatAroundTheSameImage) {
    QTemporaryDir folder;
    QImage image = planePicture(QSize(60, 40));
    image.setDevicePixelRatio(2.0);  // 30 by 20 points
    QString error;
    const auto exported = [&](const char* name) {
        const QString path = folder.filePath(QString::fromUtf8(name));
        EXPECT_TRUE(exportPlaneImage(image, path, QFileInfo(path).suffix(), &error)) << name;
        return readFile(path);
    };
    EXPECT_TRUE(sameImage(QImage::fromData(exported("plane.png")), image));

    const QString svg = QString::fromUtf8(exported("plane.SVG"));
    EXPECT_TRUE(svg.contains(QStringLiteral("data:image/png;base64,")));
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 30 20\"")))
        << svg.left(400).toStdString();

    EXPECT_TRUE(exported("plane.pdf").startsWith("%PDF"));
    for (const char* name : {"plane.gif", "missing/plane.png", "missing/plane.pdf", "empty.svg"}) {
        const QString path = folder.filePath(QString::fromUtf8(name));
        error.clear();
        const QImage picture =
            QFileInfo(path).baseName() == QStringLiteral("empty") ? QImage() : image;
        EXPECT_FALSE(exportPlaneImage(picture, path, QFileInfo(path).suffix(), &error)) << name;
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(QFile::exists(path));
    }
}

}  // namespace
}  // namespace plotwise
