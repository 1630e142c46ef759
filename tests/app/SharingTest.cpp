#include <gtest/gtest.h>

#include <unistd.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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
#include <tuple>
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

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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
    static void setPicturesFolder(const QString& folder) {
        writeFile(userDirsFile(), "XDG_PICTURES_DIR=\"" + QFile::encodeName(folder) + "\"\n");
    }

    void addEquation(const QString& text, const QString& colour, bool visible) {
        const QVariantMap state{{RVEquation::expressionStringKey, text},
                                {RVEquation::expressionColorKey, colour},
                                {RVEquation::expressionVisibleKey, visible}};
        auto equation = RVEquation::equationWithStateFromDictionary(state, table_.data());
        ASSERT_NE(equation, nullptr) << text.toStdString();
        equations_.push_back(std::move(equation));
    }

    // A fake xdg-email that records its arguments (NUL-separated) and process id, sleeps
    // `seconds`, marks that it finished and exits with `status`.
    QString installFakeMailClient(int seconds = 0, int status = 0) {
        const QString bin = scratch_.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QString record = scratch_.filePath(QStringLiteral("record"));
        const QString script = QStringLiteral(
                                   "#!/bin/sh\n"
                                   "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '%1.tmp'\n"
                                   "echo $$ > '%1.pid'\n"
                                   "mv '%1.tmp' '%1'\n"
                                   "sleep %2\n"
                                   "touch '%1.done'\n"
                                   "exit %3\n")
                                   .arg(record)
                                   .arg(seconds)
                                   .arg(status);
        writeFile(bin + QStringLiteral("/xdg-email"), script.toUtf8());
        QFile::setPermissions(bin + QStringLiteral("/xdg-email"), QFileDevice::ReadOwner |
                                                                      QFileDevice::WriteOwner |
                                                                      QFileDevice::ExeOwner);
        installFakeMailtoHandler(QStringLiteral("thunderbird.desktop"));
        return record;
    }

    // A fake xdg-mime naming `handler` (none when empty) as the mailto program, first on PATH.
    void installFakeMailtoHandler(const QString& handler) {
        const QString bin = scratch_.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        writeFile(bin + QStringLiteral("/xdg-mime"),
                  QStringLiteral("#!/bin/sh\necho '%1'\n").arg(handler).toUtf8());
        QFile::setPermissions(bin + QStringLiteral("/xdg-mime"), QFileDevice::ReadOwner |
                                                                     QFileDevice::WriteOwner |
                                                                     QFileDevice::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin) + ':' + path_);
    }

    // Email gives "This device is not configured to send mail", whose Save to Pictures saves.
    void expectNotConfiguredAlertWhoseSaveWorks();

    QStringList recordedArguments(const QString& record) {
        if (!QTest::qWaitFor([&] { return QFile::exists(record); }, 5000)) {
            return {};
        }
        QStringList arguments;
        for (const QByteArray& argument : readFile(record).split('\0')) {
            arguments.append(QString::fromUtf8(argument));
        }
        arguments.removeLast();  // after the last NUL
        return arguments;
    }

    QMessageBox* waitForAlert(QSignalSpy& alerts) {
        if (alerts.isEmpty() && !alerts.wait(3000)) {
            return nullptr;
        }
        return alerts.first().first().value<QMessageBox*>();
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
};

TEST_F(Sharing, TheMenuOpensBelowItsAnchorOrAboveWhenNoRoomIsLeft) {
    const QRect screen = host_->screen()->availableGeometry();
    struct Case {
        int windowHeight;
        int anchorY;
        bool below;
    };
    // A bar at the bottom of a window shorter than the screen (the phone's) still opens upwards.
    for (const Case& c : {Case{screen.height(), 0, true}, Case{screen.height(), -30, false},
                          Case{400, -30, false}}) {
        host_->setGeometry(QRect(screen.topLeft(), QSize(screen.width(), c.windowHeight)));
        auto* anchor = new QWidget(host_.get());
        const int y = c.anchorY < 0 ? c.windowHeight + c.anchorY : c.anchorY;
        anchor->setGeometry(0, y, 40, 30);
        const int anchorTop = anchor->mapToGlobal(QPoint(0, 0)).y();
        controller_->showMenu(anchor);
        QMenu* menu = controller_->menu();
        ASSERT_TRUE(menu != nullptr && QTest::qWaitForWindowExposed(menu));
        const QRect at = menu->geometry();
        EXPECT_TRUE(c.below ? at.top() >= anchorTop + 30 : at.bottom() < anchorTop)
            << c.windowHeight << " " << y << " " << at.top() << ".." << at.bottom();
        menu->hide();
        delete anchor;
    }
    QStringList items;
    for (const QAction* action : controller_->menu()->actions()) {
        items.append(action->text() + u' ' + action->shortcut().toString());
        EXPECT_FALSE(action->toolTip().isEmpty());
    }
    EXPECT_EQ(items.join(u'|').toStdString(),
              "Copy Image Ctrl+C|Save to Pictures Ctrl+S|Email Ctrl+M|Export… ");
}

TEST_F(Sharing, CopyPutsThePlanesImageOnTheClipboard) {
    RVEquation2DView view;
    view.resize(240, 160);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    image_ = view.imageRepresentation();
    controller_->copyImageAction()->trigger();
    EXPECT_TRUE(sameImage(QGuiApplication::clipboard()->image(), image_));
}

TEST_F(Sharing, TwoSavesWriteTwoPngsOfThePlanesSize) {
    QSignalSpy saved(controller_.get(), &RVPWShareController::imageSaved);
    for (int i = 0; i < 2; ++i) {
        controller_->saveImage();
        // The panel says "Saving..." before the file is written on the next turn.
        EXPECT_EQ(panelTexts().last().toStdString(), "Saving...");
        ASSERT_TRUE(saved.wait(3000));
        const RVLoadingView* panel = host_->findChildren<RVLoadingView*>().last();
        EXPECT_EQ(panel->label()->text().toStdString(), "Saved!");
        EXPECT_FALSE(panel->activityIndicatorVisible());
    }
    const QString first = saved.at(0).first().toString();
    const QString second = saved.at(1).first().toString();
    EXPECT_NE(first, second);
    for (const QString& path : {first, second}) {
        EXPECT_EQ(QFileInfo(path).absolutePath(),
                  QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        EXPECT_TRUE(kPictureName.match(QFileInfo(path).fileName()).hasMatch())
            << path.toStdString();
        EXPECT_TRUE(sameImage(QImage(path, "png"), image_));
    }
    // "Saved!" goes after 0.4 s and a fade.
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelTexts().isEmpty(); }, 3000));
}

TEST_F(Sharing, AFolderThatCannotTakeThePictureGivesAnAlertAndNeverSaved) {
    const QString file = scratch_.filePath(QStringLiteral("a file"));
    writeFile(file, "not a folder");
    const QString readOnly = scratch_.filePath(QStringLiteral("read-only"));
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(readOnly + QStringLiteral("/probe"));
    const bool permissionsHold = !probe.open(QIODevice::WriteOnly);
    probe.remove();
    const std::vector<std::pair<const char*, QString>> cases{
        {"the pictures path is a file", file},
        {"the pictures folder's parent is a file", file + QStringLiteral("/Pictures")},
        {"the pictures folder is read-only", readOnly}};
    for (const auto& [name, folder] : cases) {
        SCOPED_TRACE(name);
        if (folder == readOnly && !permissionsHold) {
            continue;  // as root every folder takes files; the other cases still fail
        }
        setPicturesFolder(folder);
        ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation), folder);
        QSignalSpy saved(controller_.get(), &RVPWShareController::imageSaved);
        QSignalSpy alerts(controller_.get(), &RVPWShareController::alertShown);
        controller_->saveImage();
        QMessageBox* alert = waitForAlert(alerts);
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->text().toStdString(), "There was an error saving the image:");
        EXPECT_TRUE(alert->informativeText().startsWith(folder + u'\n'))
            << alert->informativeText().toStdString();
        EXPECT_GT(alert->informativeText().size(), folder.size() + 1);  // and a reason
        EXPECT_EQ(alert->buttons().size(), 1);
        EXPECT_EQ(alert->buttons().first()->text().toStdString(), "Ok");
        // The alert comes in the turn that would have said "Saved!".
        EXPECT_FALSE(panelTexts().contains(QStringLiteral("Saved!")));
        EXPECT_TRUE(saved.isEmpty());
        EXPECT_TRUE(QDir(readOnly).isEmpty());
        alert->buttons().first()->click();
    }
}

TEST(PictureSaver, NeverReplacesAFileAndLeavesNothingOnFailure) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QDateTime time(QDate(2026, 12, 7), QTime(14, 5, 9));
    EXPECT_EQ(PictureSaver::baseName(time).toStdString(), "Plotwise 2026-12-07 14.05.09");
    const QString stem = folder.filePath(PictureSaver::baseName(time));
    writeFile(stem + QStringLiteral(".png"), "someone's picture");
    // A dangling link is a name taken too: writing through it would land elsewhere.
    QFile::link(folder.filePath(QStringLiteral("elsewhere")), stem + QStringLiteral(" 2.png"));

    const QImage image = planePicture(QSize(7, 5));
    const PictureSaver::Result third = PictureSaver::save(image, folder.path(), time);
    ASSERT_TRUE(third.ok()) << third.error.toStdString();
    EXPECT_EQ(third.path, stem + QStringLiteral(" 3.png"));
    EXPECT_TRUE(sameImage(QImage(third.path), image));
    EXPECT_EQ(readFile(stem + QStringLiteral(".png")), "someone's picture");
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("elsewhere"))));
    EXPECT_EQ(PictureSaver::save(image, folder.path(), time).path, stem + QStringLiteral(" 4.png"));

    const QStringList before = QDir(folder.path()).entryList(QDir::Files | QDir::System);
    const PictureSaver::Result empty = PictureSaver::save(QImage(), folder.path(), time);
    EXPECT_FALSE(empty.ok());
    EXPECT_TRUE(empty.path.isEmpty());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System), before);
}

TEST_F(Sharing, EmailHandsXdgEmailTheVisibleEquationsAndTheGraph) {
    addEquation(QStringLiteral("y<sin(5r)"), QStringLiteral("FF0000"), true);
    addEquation(QStringLiteral("y=x^3"), QStringLiteral("00FF00"), false);
    addEquation(QStringLiteral("x^2+y^2=4"), QStringLiteral("0000FF80"), true);
    const QString record = installFakeMailClient();
    QSignalSpy started(controller_.get(), &RVPWShareController::mailClientStarted);

    controller_->emailAction()->trigger();
    EXPECT_EQ(panelTexts().join(u'|').toStdString(), "Composing...");
    const QStringList arguments = recordedArguments(record);
    ASSERT_EQ(arguments.size(), 11) << arguments.join(u' ').toStdString();
    const QString folder = QFileInfo(arguments.at(6)).absolutePath();
    const QStringList expected{
        QStringLiteral("--utf8"),
        QStringLiteral("--subject"),
        QStringLiteral("Graph"),
        QStringLiteral("--body"),
        QStringLiteral("y<sin(5r)\nx^2+y^2=4\n\nCreated with Plotwise https://plotwise.org"),
        QStringLiteral("--attach"),
        folder + QStringLiteral("/expression0.png"),
        QStringLiteral("--attach"),
        folder + QStringLiteral("/expression1.png"),
        QStringLiteral("--attach"),
        folder + QStringLiteral("/graph.png")};
    EXPECT_EQ(arguments, expected) << arguments.join(u'|').toStdString();
    EXPECT_EQ(started.size(), 1);
    EXPECT_TRUE(folder.startsWith(MailFolder::location() + u'/'));
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        << "the folder is the user's alone";

    // Each formula image with 22 points for the dot on its left, in the equation's colour.
    const std::vector<std::pair<int, QColor>> visible{{0, Qt::red}, {2, QColor(0, 0, 255, 128)}};
    for (std::size_t i = 0; i < visible.size(); ++i) {
        const RVEquation& equation = *equations_[visible[i].first];
        const QImage formula = ExpressionImage::expressionImageWithColor(
            *equation.expression(), Qt::black, Qt::black, MailAttachments::formulaDepth, 1.0);
        const QImage attached(arguments.at(6 + 2 * static_cast<int>(i)), "png");
        ASSERT_FALSE(attached.isNull());
        EXPECT_EQ(attached.size(), formula.size() + QSize(22, 0));
        // The dot's centre in its colour, its rim black, the corner clear.
        const int centre = (attached.height() - 20) / 2 + 8;
        EXPECT_TRUE(nearColour(attached.pixelColor(10, centre), visible[i].second))
            << attached.pixelColor(10, centre).name(QColor::HexArgb).toStdString();
        const QColor rim = attached.pixelColor(1, centre);
        EXPECT_GT(rim.alpha(), 0);
        EXPECT_LT(rim.red() + rim.green() + rim.blue(), 60);
        EXPECT_EQ(attached.pixelColor(0, 0).alpha(), 0);
    }
    EXPECT_TRUE(sameImage(QImage(arguments.at(10), "png"), image_));
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelTexts().isEmpty(); }, 3000));
}

TEST_F(Sharing, TheMailClientOutlivesTheApplication) {
    addEquation(QStringLiteral("y=x"), QStringLiteral("000000"), true);
    const QString record = installFakeMailClient(1);
    QSignalSpy started(controller_.get(), &RVPWShareController::mailClientStarted);
    controller_->email();
    ASSERT_TRUE(started.wait(3000));
    ASSERT_FALSE(recordedArguments(record).isEmpty());
    const qint64 pid = started.first().first().toLongLong();
    EXPECT_EQ(readFile(record + QStringLiteral(".pid")).trimmed().toLongLong(), pid);

    // The screen and its controller go, as when the application quits.
    controller_.reset();
    host_.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(::kill(static_cast<pid_t>(pid), 0), 0) << "the mail client is still running";
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(record + QStringLiteral(".done")); }, 5000))
        << "and runs to its end";
}

TEST_F(Sharing, WithoutXdgEmailTheAlertOffersSaveAndCopy) {
    qputenv("PATH", QFile::encodeName(scratch_.path()));
    expectNotConfiguredAlertWhoseSaveWorks();
}

TEST_F(Sharing, WithoutAMailtoProgramTheMailClientIsNotStarted) {
    const QString record = installFakeMailClient();
    installFakeMailtoHandler(QString());
    expectNotConfiguredAlertWhoseSaveWorks();
    QTest::qWait(200);
    EXPECT_FALSE(QFile::exists(record)) << "xdg-email would fail once the app had let go";
}

void Sharing::expectNotConfiguredAlertWhoseSaveWorks() {
    QSignalSpy alerts(controller_.get(), &RVPWShareController::alertShown);
    QSignalSpy saved(controller_.get(), &RVPWShareController::imageSaved);
    controller_->email();
    QMessageBox* alert = waitForAlert(alerts);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text().toStdString(), "This device is not configured to send mail");
    EXPECT_TRUE(panelTexts().isEmpty()) << "nothing is composed";
    QStringList buttons;
    QAbstractButton* save = nullptr;
    for (QAbstractButton* button : alert->buttons()) {
        buttons.append(button->text());
        if (button->text() == QStringLiteral("Save to Pictures")) {
            save = button;
        }
    }
    buttons.sort();
    EXPECT_EQ(buttons.join(u'|').toStdString(), "Copy Image|Ok|Save to Pictures");
    ASSERT_NE(save, nullptr);
    save->click();
    ASSERT_TRUE(saved.wait(3000));
    EXPECT_TRUE(sameImage(QImage(saved.first().first().toString()), image_));
}

TEST_F(Sharing, AttachmentsThatCannotBeWrittenAreReportedAsAnEmailError) {
    installFakeMailClient();
    const QString cache = cacheFolder();
    QDir().mkpath(QFileInfo(cache).absolutePath());
    QDir(cache).removeRecursively();
    writeFile(cache, "a file where the cache folder belongs");
    QSignalSpy alerts(controller_.get(), &RVPWShareController::alertShown);
    QSignalSpy started(controller_.get(), &RVPWShareController::mailClientStarted);
    controller_->email();
    QMessageBox* alert = waitForAlert(alerts);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text().toStdString(), "There was an error with your email:");
    EXPECT_FALSE(alert->informativeText().isEmpty());
    EXPECT_TRUE(started.isEmpty());
    EXPECT_FALSE(QFile::exists(scratch_.filePath(QStringLiteral("record"))));
}

TEST(MailFolder, StaleFoldersGoAndEverythingElseStays) {
    const QString base = MailFolder::location();
    QDir().mkpath(base);
    const QString dead = base + QStringLiteral("/mail-2147483000-abcDEF");
    const QString running = base + QStringLiteral("/mail-%1-abcdef").arg(getppid());
    const QString earlierHere =
        base + QStringLiteral("/mail-%1-zzzzzz").arg(QCoreApplication::applicationPid());
    const QString unrelated = base + QStringLiteral("/notes");
    for (const QString& folder : {dead, running, earlierHere, unrelated}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        writeFile(folder + QStringLiteral("/graph.png"), "png");
    }
    QTemporaryDir outside;
    writeFile(outside.filePath(QStringLiteral("keep")), "kept");
    const QString link = base + QStringLiteral("/mail-2147483001-linked");
    ASSERT_TRUE(QFile::link(outside.path(), link));
    QString error;
    const QString current = MailFolder::create(&error);
    ASSERT_FALSE(current.isEmpty()) << error.toStdString();

    EXPECT_EQ(MailFolder::removeStale(), 2);
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_FALSE(QFileInfo::exists(earlierHere)) << "a folder of an earlier launch with our pid";
    for (const QString& kept : {running, unrelated, current}) {
        EXPECT_TRUE(QFileInfo(kept).isDir()) << kept.toStdString();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(outside.filePath(QStringLiteral("keep"))), "kept");
    EXPECT_EQ(MailFolder::removeStale(), 0);
}

TEST_F(Sharing, ExportPicksTheFormatFromTheNameOrTheFilter) {
    const QString dir = scratch_.path() + u'/';
    const std::vector<std::tuple<QString, QString, QString, QString>> cases{
        {QStringLiteral("a.SVG"), QStringLiteral("png"), QStringLiteral("a.SVG"), "svg"},
        {QStringLiteral("b"), QStringLiteral("pdf"), QStringLiteral("b.pdf"), "pdf"},
        {QStringLiteral("c.jpg"), QStringLiteral("png"), QStringLiteral("c.jpg.png"), "png"}};
    for (const auto& [name, filter, written, format] : cases) {
        EXPECT_TRUE(controller_->exportTo(dir + name, filter));
        ASSERT_FALSE(exports_.isEmpty());
        EXPECT_EQ(exports_.last().first, dir + written);
        EXPECT_EQ(exports_.last().second, format);
    }

    QSignalSpy alerts(controller_.get(), &RVPWShareController::alertShown);
    exportError_ = QStringLiteral("No space left on device");
    EXPECT_FALSE(controller_->exportTo(dir + QStringLiteral("d.pdf"), QStringLiteral("png")));
    QMessageBox* alert = waitForAlert(alerts);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text().toStdString(), "There was an error exporting the image:");
    EXPECT_TRUE(alert->informativeText().contains(QStringLiteral("No space left on device")));

    // Through the dialog: the chosen filter names the format of a bare name.
    exportError_.clear();
    QFileDialog* dialog = controller_->openExportDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->nameFilters().size(), 3);
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QTest::keyClick(types, Qt::Key_Down);  // the SVG filter, as a user picks it
    EXPECT_EQ(dialog->selectedNameFilter(), dialog->nameFilters().at(1));
    dialog->selectFile(dir + QStringLiteral("from dialog"));
    QSignalSpy exported(controller_.get(), &RVPWShareController::exported);
    static_cast<QDialog*>(dialog)->accept();  // what the Save button does
    ASSERT_EQ(exported.size(), 1);
    EXPECT_EQ(exports_.last().first, dir + QStringLiteral("from dialog.svg"));
    EXPECT_EQ(exports_.last().second, "svg");
}

TEST(PlaneImageExport, WritesEachFormatAroundTheSameImage) {
    QTemporaryDir folder;
    QImage image = planePicture(QSize(60, 40));
    image.setDevicePixelRatio(2.0);  // 30 by 20 points
    QString error;
    const QString png = folder.filePath(QStringLiteral("plane.png"));
    ASSERT_TRUE(exportPlaneImage(image, png, QStringLiteral("png"), &error)) << error.toStdString();
    EXPECT_TRUE(sameImage(QImage(png), image));

    const QString svg = folder.filePath(QStringLiteral("plane.svg"));
    ASSERT_TRUE(exportPlaneImage(image, svg, QStringLiteral("SVG"), &error)) << error.toStdString();
    const QByteArray svgText = readFile(svg);
    const QRegularExpression embedded(QStringLiteral("data:image/png;base64,([A-Za-z0-9+/=\\s]+)"));
    const QRegularExpressionMatch match = embedded.match(QString::fromUtf8(svgText));
    ASSERT_TRUE(match.hasMatch());
    const QImage inside = QImage::fromData(QByteArray::fromBase64(
        match.captured(1).remove(QRegularExpression(QStringLiteral("\\s"))).toLatin1()));
    EXPECT_EQ(inside.size(), QSize(60, 40));
    EXPECT_TRUE(svgText.contains("viewBox=\"0 0 30 20\"")) << svgText.left(400).toStdString();

    const QString pdf = folder.filePath(QStringLiteral("plane.pdf"));
    ASSERT_TRUE(exportPlaneImage(image, pdf, QStringLiteral("pdf"), &error)) << error.toStdString();
    const QByteArray pdfBytes = readFile(pdf);
    EXPECT_TRUE(pdfBytes.startsWith("%PDF"));
    EXPECT_TRUE(QString::fromLatin1(pdfBytes).contains(
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 30[.0]* 20[.0]*\\]"))))
        << "one page of the image's size";

    const std::vector<std::tuple<QImage, QString, QString>> failures{
        {image, folder.filePath(QStringLiteral("plane.gif")), QStringLiteral("gif")},
        {image, folder.filePath(QStringLiteral("missing/plane.png")), QStringLiteral("png")},
        {image, folder.filePath(QStringLiteral("missing/plane.pdf")), QStringLiteral("pdf")},
        {QImage(), folder.filePath(QStringLiteral("empty.svg")), QStringLiteral("svg")}};
    for (const auto& [picture, path, format] : failures) {
        error.clear();
        EXPECT_FALSE(exportPlaneImage(picture, path, format, &error)) << path.toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(QFile::exists(path));
    }
}

}  // namespace
}  // namespace plotwise
