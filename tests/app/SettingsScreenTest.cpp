#include <gtest/gtest.h>

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "TestContext.h"
#include "app/context/ApplicationContext.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/details/RVPWDefaultColorViewController.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/list/RVPWExpressionColorButton.h"
#include "app/screens/settings/RVPWSettingsViewController.h"
#include "app/screens/settings/RVPWSwitch.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/LibraryStorage.h"
#include "graph2d/view/RVEquation2DView.h"

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

TEST_P(SettingsScreen, SectionsHoldTheirRowsInOrder) {
    QStringList general{"Keyboard Clicks", "Shake to Reset View", "Use Random Color",
                        "Reset Library"};
    if (phone()) {
        general.prepend("Autohide Toolbar");
    }
    EXPECT_EQ(names(0), general);
    EXPECT_EQ(names(1), (QStringList{"Dark Background", "Thick Lines", "Proportional Zoom"}));
    EXPECT_EQ(names(2), (QStringList{"Rotation Box", "Light Background", "Display Values",
                                     "Faster Implicits"}));
    for (int section = 0; section < 3; ++section) {
        for (int row = 0; row < static_cast<int>(screen_->rows(section).size()); ++row) {
            EXPECT_GE(screen_->cellAt(section, row)->height(), 44) << section << "/" << row;
        }
    }
    EXPECT_EQ(screen_->colorButton(), nullptr);
}

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
        const int row = rowOf(c.section, c.name);
        if (!phone() && QLatin1String(c.name) == QLatin1String("Autohide Toolbar")) {
            EXPECT_EQ(row, -1);
            continue;
        }
        ASSERT_GE(row, 0) << c.name;
        RVPWSwitch* control = screen_->switchAt(c.section, row);
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->isChecked(), c.initially) << c.name;
        for (const bool on : {!c.initially, c.initially}) {
            const QVariantMap before = fileValues();
            posted_.clear();
            QTest::mouseClick(control, Qt::LeftButton);
            EXPECT_EQ(control->isChecked(), on) << c.name;
            QVariantMap after = fileValues();
            ASSERT_TRUE(after.contains(c.key)) << c.name;
            EXPECT_EQ(after.take(c.key), QVariant(on)) << c.name;
            QVariantMap rest = before;
            rest.remove(c.key);
            EXPECT_EQ(after, rest) << c.name;
            if (c.notification == nullptr) {
                EXPECT_TRUE(posted_.empty()) << c.name;
            } else {
                ASSERT_EQ(posted_.size(), 1u) << c.name;
                EXPECT_EQ(posted_[0].name, c.notification) << c.name;
                EXPECT_EQ(posted_[0].object, screen_.get()) << c.name;
            }
        }
    }
}

TEST_P(SettingsScreen, TheSwitchIsACheckBoxNamedByItsRowThatSpaceToggles) {
    RVPWSwitch* control = screen_->switchAt(1, 0);
    ASSERT_NE(control, nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Dark Background"));
    EXPECT_FALSE(accessible->state().checked);
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Space);
    EXPECT_TRUE(control->isChecked());
    EXPECT_TRUE(accessible->state().checked);
    EXPECT_TRUE(env_.store.boolValue(RVPWSettingsManager::useDarkBackground2DKey));
}

TEST_P(SettingsScreen, DefaultColorComesAndGoesWithRandomColours) {
    const int expectedRow = phone() ? 4 : 3;
    RVPWSwitch* random = screen_->switchAt(0, rowOf(0, "Use Random Color"));
    ASSERT_NE(random, nullptr);
    const int before = static_cast<int>(screen_->rows(0).size());
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(random, Qt::LeftButton);
        EXPECT_EQ(rowOf(0, "Default Color"), expectedRow);
        EXPECT_EQ(static_cast<int>(screen_->rows(0).size()), before + 1);
        ASSERT_NE(screen_->colorButton(), nullptr);
        EXPECT_TRUE(screen_->cellAt(0, expectedRow)->isAncestorOf(screen_->colorButton()));
        EXPECT_EQ(screen_->colorButton()->color(), QColor(255, 0, 0));
        // The row after it is still the button row.
        EXPECT_EQ(rowOf(0, "Reset Library"), expectedRow + 1);
        QTest::mouseClick(random, Qt::LeftButton);
        EXPECT_EQ(rowOf(0, "Default Color"), -1);
        EXPECT_EQ(static_cast<int>(screen_->rows(0).size()), before);
        EXPECT_EQ(screen_->colorButton(), nullptr);
    }
    // A new screen shows the row when random colours were left off.
    QTest::mouseClick(random, Qt::LeftButton);
    RVPWSettingsViewController fresh(env_.context);
    EXPECT_EQ(QString::fromLatin1(fresh.rows(0).at(expectedRow).name), "Default Color");
}

TEST_P(SettingsScreen, ThePickerStoresTranslucentColoursAsEightDigits) {
    NavigationStack stack;
    auto* screen = new RVPWSettingsViewController(env_.context);
    stack.push(screen);
    stack.resize(420, 900);
    stack.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&stack));
    QTest::mouseClick(screen->switchAt(0, rowOf(0, "Use Random Color")), Qt::LeftButton);
    ASSERT_NE(screen->colorButton(), nullptr);
    QTest::mouseClick(screen->colorButton(), Qt::LeftButton);
    RVPWDefaultColorViewController* picker = screen->colorController();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->windowTitle(), QStringLiteral("Default Color"));
    EXPECT_EQ(picker->selectedColor(), QColor(255, 0, 0));
    if (phone()) {
        EXPECT_EQ(stack.topScreen(), picker);
    } else {
        // A popup of its own at the row, not a screen on the stack.
        EXPECT_TRUE(picker->isWindow());
        EXPECT_EQ(picker->windowType(), Qt::Popup);
        EXPECT_TRUE(picker->isVisible());
        EXPECT_EQ(stack.topScreen(), screen);
    }
    emit picker->defaultColorControllerDidChangeColor(QColor(0x12, 0x34, 0x56, 0x80), false);
    EXPECT_EQ(fileValues().value(RVPWSettingsManager::defaultColorKey), QVariant("12345680"));
    EXPECT_EQ(screen->colorButton()->color(), QColor(0x12, 0x34, 0x56, 0x80));
    emit picker->defaultColorControllerDidChangeColor(QColor(0, 0x80, 0xFF), false);
    EXPECT_EQ(fileValues().value(RVPWSettingsManager::defaultColorKey), QVariant("0080FF"));
    EXPECT_EQ(env_.context.settings().defaultColor(), QColor(0, 0x80, 0xFF));
    emit picker->backRequested();
    EXPECT_EQ(screen->colorController(), nullptr);
    EXPECT_EQ(stack.topScreen(), screen);
}

TEST_P(SettingsScreen, ResetAsksAndNoDeletesNothing) {
    QStringList paths;
    for (const QLatin1String name :
         {LibraryStorage::library2DFileName, LibraryStorage::library3DFileName}) {
        paths.append(LibraryStorage::libraryFilePath(name));
        QDir().mkpath(QFileInfo(paths.back()).absolutePath());
        QFile file(paths.back());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<plist/>");
    }
    const auto answer = [&](const char* button) {
        QTest::mouseClick(screen_->cellAt(0, rowOf(0, "Reset Library"))->findChild<QPushButton*>(),
                          Qt::LeftButton);
        QMessageBox* sheet = screen_->resetSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->text(), QStringLiteral("This will reset the library to its default "
                                                "state.\nDo you want to proceed?"));
        QPushButton* chosen = nullptr;
        for (QAbstractButton* b : sheet->buttons()) {
            if (b->text() == QLatin1String(button)) {
                chosen = qobject_cast<QPushButton*>(b);
            }
        }
        ASSERT_NE(chosen, nullptr);
        chosen->click();
    };
    answer("No");
    EXPECT_TRUE(QFile::exists(paths[0]));
    EXPECT_TRUE(QFile::exists(paths[1]));
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen_->resetSheet() == nullptr; }));
    answer("Yes");
    EXPECT_FALSE(QFile::exists(paths[0]));
    EXPECT_FALSE(QFile::exists(paths[1]));
    EXPECT_TRUE(screen_->messageBar()->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen_->resetSheet() == nullptr; }));
    // Nothing to delete is no error; a file that cannot be deleted (a folder in its place) is.
    answer("Yes");
    EXPECT_TRUE(screen_->messageBar()->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen_->resetSheet() == nullptr; }));
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
    ASSERT_EQ(posted_.size(), 1u);
    EXPECT_EQ(posted_[0].name, QStringLiteral("settingsDoneNotification"));
    EXPECT_EQ(posted_[0].object, screen_.get());
    QTest::keyClick(screen_.get(), Qt::Key_Escape);
    EXPECT_EQ(posted_.size(), 2u);
    EXPECT_EQ(done.count(), 2);
}

// The whole road: the 2D screen's Settings action, a switch, the plane dark at once, Done.
TEST_P(SettingsScreen, DarkBackgroundTurnsTheShownPlaneDarkAtOnce) {
    screen_.reset();
    AppDelegate delegate(env_.context);
    delegate.didFinishLaunching({});
    delegate.window()->resize(600, 700);
    RVPW2DViewController* graph = delegate.controller2D();
    QSignalSpy finished(graph, &RVPW2DViewController::loadingFinished);
    ASSERT_TRUE(graph->loadingDone() || finished.wait(10000));
    EXPECT_EQ(graph->settingsAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    const auto corner = [&] {
        const QImage image = graph->equationView()->grab().toImage();
        return qGray(image.pixel(3, 3));
    };
    EXPECT_GT(corner(), 200);
    graph->settingsAction()->trigger();
    RVPWSettingsViewController* settings = graph->settingsController();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(delegate.navigationStack()->topScreen(), settings);
    QTest::mouseClick(settings->switchAt(1, 0), Qt::LeftButton);
    EXPECT_LT(corner(), 60);
    settings->doneButton()->click();
    EXPECT_EQ(delegate.navigationStack()->topScreen(), graph);
    QTest::qWait(0);
    EXPECT_EQ(graph->settingsController(), nullptr);
    EXPECT_LT(corner(), 60);
}

}  // namespace
}  // namespace plotwise
