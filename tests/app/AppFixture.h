#pragma once

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/context/ApplicationContext.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/NotificationCenter.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/WorkspaceStorage.h"
#include "equations/EquationListModel.h"
#include "equations/RVEquation.h"

namespace plotwise::testing {

// The source texts of a list's equations, in order.
inline QStringList textsOf(const EquationListModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.append(model.data(model.index(row), EquationListModel::SourceTextRole).toString());
    }
    return texts;
}

// A preference store in a folder of its own, an application context over it (a phone's until a
// launch says otherwise) and, once launched, the application delegate.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        makeContext(DeviceClass::Phone);
    }

    QString prefsPath() const { return folder_.filePath(QStringLiteral("prefs.plist")); }

    // The store reads the file afresh: what an earlier run or a test wrote there.
    void makeContext(DeviceClass device) {
        delegate_.reset();
        store_ = std::make_unique<PreferenceStore>(prefsPath());
        context_ = std::make_unique<ApplicationContext>(*store_, center_, device);
        context_->settings().registerDefaults();
    }

    void launch(DeviceClass device, const QStringList& expressions = {}, bool in3D = false,
                QSize size = QSize(900, 700), RVPWRatingPrompt* prompt = nullptr) {
        makeContext(device);
        delegate_ = std::make_unique<AppDelegate>(*context_);
        delegate_->setRatingPrompt(prompt);
        delegate_->didFinishLaunching(expressions, in3D);
        delegate_->window()->resize(size);
    }
    // Launched with the 2D plane restored.
    RVPW2DViewController* launchRestored(DeviceClass device, const QStringList& expressions = {}) {
        launch(device, expressions);
        waitRestored(screen2D());
        return screen2D();
    }
    static void waitRestored(RVPWGraphViewController* screen) {
        ASSERT_TRUE(QTest::qWaitFor([screen] { return screen->loadingDone(); }, 10000));
    }

    // The file as another process would read it now.
    PreferenceStore reread() const { return PreferenceStore(prefsPath()); }
    // The source texts of a stored equation list.
    QStringList stored(QLatin1String key) const {
        QStringList texts;
        for (const QVariant& state : reread().arrayValue(key.toString())) {
            texts.append(state.toMap().value(RVEquation::expressionStringKey).toString());
        }
        return texts;
    }
    static QVariantMap equationState(const QString& text, const QString& colour,
                                     bool visible = true) {
        return {{RVEquation::expressionStringKey, text},
                {RVEquation::expressionColorKey, colour},
                {RVEquation::expressionVisibleKey, visible}};
    }

    RVPW2DViewController* screen2D() const { return delegate_->controller2D(); }
    RVPW3DViewController* screen3D() const { return delegate_->controller3D(); }
    NavigationStack* stack() const { return delegate_->navigationStack(); }

    QTemporaryDir folder_;
    NotificationCenter center_;
    std::unique_ptr<PreferenceStore> store_;
    std::unique_ptr<ApplicationContext> context_;
    std::unique_ptr<AppDelegate> delegate_;
};

}  // namespace plotwise::testing
