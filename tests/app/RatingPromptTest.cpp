#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/rating/RVPWRatingPrompt.h"
#include "app/storage/PreferenceStore.h"

namespace plotwise {
namespace {

constexpr double kDay = 86400.0;
constexpr double kStart = 1.8e9;

// A prompt over a store of its own, with a clock, a network and a browser the test controls.
class RatingPrompt : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        prompt_.reset();
        QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
        // Each SetUp (cases call it again) starts from a file of its own.
        store_ = std::make_unique<PreferenceStore>(
            folder_.filePath(QStringLiteral("p%1.plist").arg(++files_)));
        prompt_ = std::make_unique<RVPWRatingPrompt>(*store_);
        prompt_->setClock([this] { return now_; });
        prompt_->setReachability([this] { return reachable_; });
        prompt_->setUrlOpener([this](const QUrl& url) {
            opened_.append(url);
            return openSucceeds_;
        });
        prompt_->setStoreHandlerProbe([this] { return storeHandler_; });
    }
    void TearDown() override { QCoreApplication::setApplicationVersion(QString()); }

    // `count` launches a day apart from now on, that may prompt.
    void launch(int count, bool canPrompt = true) {
        for (int i = 0; i < count; ++i) {
            prompt_->incrementAndRate(canPrompt);
        }
    }
    // 21 uses on the first day, then `days` later one more launch.
    void useFor(double days) {
        launch(20);
        now_ += days * kDay;
        launch(1);
    }
    bool alertShown() const { return prompt_->ratingAlert() != nullptr; }
    // What a store (re)opened from the file says, so every change must have been written.
    RatingCounters reread() {
        reread_ = std::make_unique<PreferenceStore>(store_->filePath());
        return RatingCounters(*reread_);
    }

    QTemporaryDir folder_;
    int files_ = 0;
    std::unique_ptr<PreferenceStore> store_;
    std::unique_ptr<PreferenceStore> reread_;
    std::unique_ptr<RVPWRatingPrompt> prompt_;
    double now_ = kStart;
    bool reachable_ = true;
    bool openSucceeds_ = true;
    bool storeHandler_ = false;
    QList<QUrl> opened_;
};

TEST_F(RatingPrompt, CountsEveryLaunchOfTheVersionFromTheFirstUse) {
    launch(1);
    now_ += 5 * kDay;
    launch(6);
    const RatingCounters counters = reread();
    EXPECT_EQ(counters.currentVersion(), QStringLiteral("1.0"));
    EXPECT_EQ(counters.useCount(), 7);
    EXPECT_EQ(counters.firstUseDate(), kStart);
    EXPECT_EQ(counters.reminderRequestDate(), 0.0);
    EXPECT_FALSE(alertShown());
}

TEST_F(RatingPrompt, ANewVersionStartsItsCountersAfresh) {
    useFor(16);
    prompt_->clickedButtonAtIndex(RVPWRatingPrompt::NeverButton);
    store_->setValue(QString::fromLatin1(RatingCounters::kSignificantEventCountKey), 4);
    store_->setValue(QString::fromLatin1(RatingCounters::kReminderRequestDateKey), kStart);
    store_->setValue(QString::fromLatin1(RatingCounters::kRatedCurrentVersionKey), true);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1"));
    now_ += kDay;
    launch(1);
    const RatingCounters counters = reread();
    EXPECT_EQ(counters.currentVersion(), QStringLiteral("1.1"));
    EXPECT_EQ(counters.useCount(), 1);
    EXPECT_EQ(counters.firstUseDate(), now_);
    EXPECT_EQ(counters.reminderRequestDate(), 0.0);
    EXPECT_FALSE(counters.declinedToRate());
    EXPECT_FALSE(counters.ratedCurrentVersion());
    EXPECT_EQ(
        reread_->value(QString::fromLatin1(RatingCounters::kSignificantEventCountKey)).toInt(), 0);
}

TEST_F(RatingPrompt, AsksAfterTwentyOneUsesAndFifteenDaysOnly) {
    // Day 14 with 21 uses: not yet.
    useFor(14);
    EXPECT_FALSE(alertShown());
    // 15 days, but the launch that crosses the line is the first after it.
    now_ = kStart + 15 * kDay;
    launch(1);
    ASSERT_TRUE(alertShown());
    QMessageBox* alert = prompt_->ratingAlert();
    // Reaching this line at all means the alert did not block.
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(
        alert->text(),
        QStringLiteral("Thank you for using\n%1!").arg(QGuiApplication::applicationDisplayName()));
    QStringList buttons;
    for (QAbstractButton* button : alert->buttons()) {
        buttons.append(button->text());
    }
    EXPECT_TRUE(buttons.contains(QStringLiteral("Never show this again")));
    EXPECT_TRUE(buttons.contains(QStringLiteral("Rate now")));
    EXPECT_TRUE(buttons.contains(QStringLiteral("Maybe later")));
    // A second launch while it is up asks no second time.
    launch(1);
    EXPECT_EQ(prompt_->ratingAlert(), alert);
}

TEST_F(RatingPrompt, TwentyUsesAreNotEnoughWhateverTheDays) {
    launch(19);
    now_ += 40 * kDay;
    launch(1);
    EXPECT_EQ(reread().useCount(), 20);
    EXPECT_FALSE(alertShown());
}

TEST_F(RatingPrompt, EachButtonAnswersAndIsWritten) {
    struct Case {
        int button;
        bool openSucceeds;
        bool declined;
        bool rated;
        bool remind;
    };
    const Case cases[] = {
        {RVPWRatingPrompt::NeverButton, true, true, false, false},
        {RVPWRatingPrompt::RateNowButton, true, false, true, false},
        // A page that did not open is an answer of "later".
        {RVPWRatingPrompt::RateNowButton, false, false, false, true},
        {RVPWRatingPrompt::LaterButton, true, false, false, true},
        {-1, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        SetUp();
        openSucceeds_ = c.openSucceeds;
        opened_.clear();
        useFor(15);
        ASSERT_TRUE(alertShown());
        prompt_->clickedButtonAtIndex(c.button);
        const RatingCounters counters = reread();
        EXPECT_EQ(counters.declinedToRate(), c.declined);
        EXPECT_EQ(counters.ratedCurrentVersion(), c.rated);
        EXPECT_EQ(counters.reminderRequestDate(), c.remind ? now_ : 0.0);
        EXPECT_EQ(opened_.size(), c.button == RVPWRatingPrompt::RateNowButton ? 1 : 0);
        prompt_->hideRatingAlert();
        // Asked again on the next launch only when nothing was answered.
        now_ += kDay;
        launch(1);
        EXPECT_EQ(alertShown(), c.button == -1);
    }
}

TEST_F(RatingPrompt, MaybeLaterWaitsTwoDays) {
    useFor(15);
    ASSERT_TRUE(alertShown());
    for (QAbstractButton* button : prompt_->ratingAlert()->buttons()) {
        if (button->text() == QStringLiteral("Maybe later")) {
            button->click();
        }
    }
    EXPECT_EQ(reread().reminderRequestDate(), now_);
    QTest::qWait(0);
    EXPECT_FALSE(alertShown());
    now_ += 2 * kDay - 60;
    launch(1);
    EXPECT_FALSE(alertShown());
    now_ += 60;
    launch(1);
    EXPECT_TRUE(alertShown());
}

TEST_F(RatingPrompt, RateNowOpensTheStoreOnlyWhenSomethingHandlesIt) {
    for (const bool handler : {true, false}) {
        SetUp();
        storeHandler_ = handler;
        useFor(15);
        prompt_->clickedButtonAtIndex(RVPWRatingPrompt::RateNowButton);
        ASSERT_EQ(opened_.size(), 1);
        EXPECT_EQ(opened_.front(), handler
                                       ? QUrl(QStringLiteral("appstream://org.plotwise.Plotwise"))
                                       : QUrl(QStringLiteral("https://plotwise.org")));
    }
}

TEST_F(RatingPrompt, WithoutLeaveOrNetworkItCountsButNeverAsks) {
    // Not allowed to ask.
    useFor(0);
    now_ += 30 * kDay;
    launch(3, false);
    EXPECT_EQ(reread().useCount(), 24);
    EXPECT_FALSE(alertShown());
    // No network backend or offline: counting goes on.
    reachable_ = false;
    launch(2);
    EXPECT_EQ(reread().useCount(), 26);
    EXPECT_FALSE(alertShown());
    reachable_ = true;
    launch(1);
    EXPECT_TRUE(alertShown());
}

TEST_F(RatingPrompt, ResigningActiveHidesTheAlertWithoutAnAnswer) {
    useFor(15);
    ASSERT_TRUE(alertShown());
    QPointer<QMessageBox> alert = prompt_->ratingAlert();
    const QVariantMap before = store_->storedValues();
    prompt_->hideRatingAlert();
    QTest::qWait(0);
    EXPECT_FALSE(alertShown());
    EXPECT_TRUE(alert.isNull() || !alert->isVisible());
    reread_ = std::make_unique<PreferenceStore>(store_->filePath());
    EXPECT_EQ(reread_->storedValues(), before);
    EXPECT_TRUE(opened_.isEmpty());
}

TEST(RatingPromptShared, ClassCallsCountOnTheSharedInstance) {
    RVPWRatingPrompt& shared = RVPWRatingPrompt::sharedInstance();
    EXPECT_EQ(&shared, &RVPWRatingPrompt::sharedInstance());
    shared.setReachability([] { return false; });
    const long long before = shared.counters().useCount();
    RVPWRatingPrompt::appLaunched(false);
    RVPWRatingPrompt::appEnteredForeground(true);
    RVPWRatingPrompt::appWillResignActive();
    EXPECT_EQ(shared.counters().useCount(), before + 2);
    EXPECT_EQ(shared.ratingAlert(), nullptr);
}

TEST(RatingPromptPlatform, TheDefaultProbesAnswerWithoutHanging) {
    // Whatever this machine has: an answer, soon, and no crash without a backend or xdg-mime.
    QElapsedTimer timer;
    timer.start();
    (void)RVPWRatingPrompt::defaultReachability();
    (void)RVPWRatingPrompt::defaultStoreHandlerProbe();
    EXPECT_LT(timer.elapsed(), 10000);
}

}  // namespace
}  // namespace plotwise
