#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "TestContext.h"
#include "app/screens/details/RVPWDefaultColorViewController.h"
#include "app/screens/list/RVPWExpressionColorButton.h"
#include "app/screens/settings/RVPWSettingsViewController.h"
#include "app/screens/settings/RVPWSwitch.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/LibraryStorage.h"

namespace plotwise {
namespace {

struct Posted {
    QString name;
    QObject* object;
};

// A store in a folder of its own, a notification centre whose posts are recorded, and the
// screen for one device class.
class SettingsScreen : public ::testing::TestWithParam<DeviceClass> {
protected:
    void SetUp() override {
        QObject::connect(&env_.center, &NotificationCenter::posted,
                         [this](const QString& name, QObject* object) {
                             posted_.push_back({name, object});
                         });
        screen_ = std::make_unique<RVPWSettingsViewController>(env_.context);
        screen_->resize(420, 900);
        screen_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(screen_.get()));
    }
    void TearDown() override {
        for (const QLatin1String name :
             {LibraryStorage::library2DFileName, LibraryStorage::library3DFileName}) {
            const QString path = LibraryStorage::libraryFilePath(name);
            QDir(path).removeRecursively();
            QFile::remove(path);
        }
    }

    bool phone() const { return GetParam() == DeviceClass::Phone; }
    QStringList names(int section) const {
        QStringList result;
        for (const auto& row : screen_->rows(section)) {
            result.append(QString::fromLatin1(row.name));
        }
        return result;
    }
    QStringList postedNames() const {
        QStringList result;
        for (const Posted& post : posted_) {
            result << (post.object == screen_.get() ? post.name : post.name + " from elsewhere");
        }
        return result;
    }
    int rowOf(int section, const char* name) const {
        return static_cast<int>(names(section).indexOf(QString::fromLatin1(name)));
    }
    // What the file holds, read by a store of its own.
    QVariantMap fileValues() const { return PreferenceStore(env_.store.filePath()).storedValues(); }

    testing::TestContext env_{GetParam()};
    std::unique_ptr<RVPWSettingsViewController> screen_;
    std::vector<Posted> posted_;
};

INSTANTIATE_TEST_SUITE_P(Devices, SettingsScreen,
                         ::testing::Values(DeviceClass::Phone, DeviceClass::Tablet),
                         [](const auto& info) {
                             return info.param == DeviceClass::Phone ? std::string("Phone")
                                                                     : std::string("Tablet");
                         });

// One case per switch: flipping it writes exactly its key to the file and posts exactly its
// notification, with the screen as the object, or nothing.
TEST_P(SettingsScreen, EverySwitchWritesItsKeyAndPostsItsNotification) {
    struct Case {
        int section;
        const char* name;
        const char* key;
        bool initially;
        const char* notification;
    };
    const std::vector<Case> cases = {
        {0, "Autohide Toolbar", "phoneHidesToolbarKey", false, nullptr},
        {0, "Keyboard Clicks", "enableKeyboardClicksKey", true, nullptr},
        {0, "Shake to Reset View", "enableShakesKey", true, nullptr},
        {0, "Use Random Color", "useRandomDefaultColorKey", true, nullptr},
        {1, "Dark Background", "useDarkBackground2DKey", false, "useDarkBackground2DNotification"},
        {1, "Thick Lines", "useThickLines2DKey", false, "useThickLinesNotification"},
        {1, "Proportional Zoom", "useProportionalZoom2DKey", true,
         "useProportionalZoomNotification"},
        {2, "Rotation Box", "showRotationBoxKey", true, nullptr},
        {2, "Light Background", "useLightBackground3DKey", false,
         "useLightBackground3DNotification"},
        {2, "Display Values", "display3DValuesKey", false, "display3DValuesNotification"},
        {2, "Faster Implicits", "fasterLessAccurate3DAlgorithmKey", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = rowOf(c.section, c.name);
        if (!phone() && QLatin1String(c.name) == QLatin1String("Autohide Toolbar")) {
            EXPECT_EQ(row, -1);
            continue;
        }
        RVPWSwitch* control = screen_->switchAt(c.section, row);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->isChecked(), c.initially);
        for (const bool on : {!c.initially, c.initially}) {
            QVariantMap expected = fileValues();
            expected.insert(c.key, on);
            posted_.clear();
            QTest::mouseClick(control, Qt::LeftButton);
            EXPECT_EQ(control->isChecked(), on);
            EXPECT_EQ(fileValues(), expected) << "exactly its key";
            const QStringList names = c.notification ? QStringList{c.notification} : QStringList{};
            EXPECT_EQ(postedNames(), names);
        }
    }
}

TEST_P(SettingsScreen, TheDefaultColourRowAndPickerStoreTranslucentColoursAsEightDigits) {
    NavigationStack stack;
    auto* screen = new RVPWSettingsViewController(env_.context);
    stack.push(screen);
    stack.resize(420, 900);
    stack.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&stack));
    // The colour row comes with random colours off, and goes when they are on again.
    RVPWSwitch* random = screen->switchAt(0, rowOf(0, "Use Random Color"));
    QTest::mouseClick(random, Qt::LeftButton);
    ASSERT_NE(screen->colorButton(), nullptr);
    QTest::mouseClick(screen->colorButton(), Qt::LeftButton);
    RVPWDefaultColorViewController* picker = screen->colorController();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->selectedColor(), QColor(255, 0, 0));
    // The phone pushes it; the tablet shows a popup of its own at the row.
    EXPECT_EQ(stack.topScreen(), phone() ? static_cast<QWidget*>(picker) : screen);
    EXPECT_EQ(picker->windowType() == Qt::Popup, !phone());
    emit picker->defaultColorControllerDidChangeColor(QColor(0x12, 0x34, 0x56, 0x80), false);
    EXPECT_EQ(fileValues().value(RVPWSettingsManager::defaultColorKey), QVariant("12345680"));
    emit picker->defaultColorControllerDidChangeColor(QColor(0, 0x80, 0xFF), false);
    EXPECT_EQ(fileValues().value(RVPWSettingsManager::defaultColorKey), QVariant("0080FF"));
    EXPECT_EQ(env_.context.settings().defaultColor(), QColor(0, 0x80, 0xFF));
    EXPECT_EQ(screen->colorButton()->color(), QColor(0, 0x80, 0xFF));
    emit picker->backRequested();
    EXPECT_EQ(screen->colorController(), nullptr);
    EXPECT_EQ(stack.topScreen(), screen);
    QTest::mouseClick(random, Qt::LeftButton);
    EXPECT_EQ(screen->colorButton(), nullptr);
}

TEST_P(SettingsScreen, ResetAsksAndNoDeletesNothing) {
    QStringList paths;
    for (const QLatin1String name :
         {LibraryStorage::library2DFileName, LibraryStorage::library3DFileName}) {
        paths.append(LibraryStorage::libraryFilePath(name));
        QDir().mkpath(QFileInfo(paths.back()).absolutePath());
        QFile file(paths.back());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // Presses Reset Library and answers the question with `button`.
    const auto answer = [&](const QString& button) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return screen_->resetSheet() == nullptr; }));
        QTest::mouseClick(screen_->cellAt(0, rowOf(0, "Reset Library"))->findChild<QPushButton*>(),
                          Qt::LeftButton);
        ASSERT_NE(screen_->resetSheet(), nullptr);
        for (QAbstractButton* choice : screen_->resetSheet()->buttons()) {
            if (choice->text() == button) {
                return choice->click();
            }
        }
        ADD_FAILURE() << "no " << button.toStdString();
    };
    const auto exist = [&] { return QFile::exists(paths[0]) + QFile::exists(paths[1]); };
    answer("No");
    EXPECT_EQ(exist(), 2);
    answer("Yes");
    EXPECT_EQ(exist(), 0);
    EXPECT_TRUE(screen_->messageBar()->isHidden());
    // Nothing to delete is no error; a file that cannot be deleted (a folder in its place) is.
    answer("Yes");
    EXPECT_TRUE(screen_->messageBar()->isHidden());
    ASSERT_TRUE(QDir().mkpath(paths[1] + QStringLiteral("/inside")));
    answer("Yes");
    EXPECT_TRUE(screen_->messageBar()->isVisible());
    EXPECT_TRUE(screen_->messageBar()->text().contains(QStringLiteral("expressions3D.plist")))
        << screen_->messageBar()->text().toStdString();
}

TEST_P(SettingsScreen, AFailedWriteShowsTheBarAndTheSwitchKeepsItsState) {
    // A file where the store's folder should be: no write can land.
    const QString blocker = env_.folder.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    PreferenceStore store(blocker + QStringLiteral("/prefs.plist"));
    ApplicationContext context(store, env_.center, GetParam());
    context.settings().registerDefaults();
    RVPWSettingsViewController screen(context);
    screen.show();
    EXPECT_TRUE(screen.messageBar()->isHidden());
    RVPWSwitch* control = screen.switchAt(2, rowOf(2, "Display Values"));
    QTest::mouseClick(control, Qt::LeftButton);
    EXPECT_TRUE(screen.messageBar()->isVisible());
    EXPECT_TRUE(
        screen.messageBar()->text().startsWith(QStringLiteral("Settings could not be saved: ")))
        << screen.messageBar()->text().toStdString();
    // The process still sees the change; the notification went out.
    EXPECT_TRUE(control->isChecked());
    EXPECT_TRUE(context.settings().display3DValues());
    ASSERT_EQ(posted_.size(), 1u);
    EXPECT_EQ(posted_[0].object, &screen);
}

TEST_P(SettingsScreen, DoneAndEscapePostSettingsDone) {
    QSignalSpy done(screen_.get(), &RVPWSettingsViewController::doneRequested);
    screen_->doneButton()->click();
    QTest::keyClick(screen_.get(), Qt::Key_Escape);
    EXPECT_EQ(postedNames(), QStringList(2, QStringLiteral("settingsDoneNotification")));
    EXPECT_EQ(done.count(), 2);
}

}  // namespace
}  // namespace plotwise
