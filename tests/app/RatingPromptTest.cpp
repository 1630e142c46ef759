#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <memory>

#include "app/rating/RVPWRatingPrompt.h"
#include "app/storage/PreferenceStore.h"

namespace plotwise {
namespace {

constexpr double kDay = 86400.0, kStart = 1.8e9;

// A prompt over a store file of its own, with a clock, a network and a browser the test sets.
class RatingPrompt : public ::testing::Test {
protected:
    void SetUp() override { restart(); }
    void TearDown() override { QCoreApplication::setApplicationVersion(QString()); }
    void restart() {
        prompt_.reset();
        QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
        store_ = std::make_unique<PreferenceStore>(folder_.filePath(QString::number(++files_)));
        now_ = kStart;
        opened_.clear();
        prompt_ = std::make_unique<RVPWRatingPrompt>(*store_);
        prompt_->setClock([this] { return now_; });
        prompt_->setReachability([this] { return reachable_; });
        prompt_->setUrlOpener([this](const QUrl& url) { return opened_.append(url), opens_; });
        prompt_->setStoreHandlerProbe([this] { return storeHandler_; });
    }
    void launch(int count, bool canPrompt = true) {
        for (; count > 0; --count)
            prompt_->incrementAndRate(canPrompt);
    }
    // 20 uses on the first day, one more `days` later.
    void useFor(double days) {
        launch(20);
        now_ += days * kDay;
        launch(1);
    }
    bool asking() const { return prompt_->ratingAlert() != nullptr; }
    // The counters as the file holds them, so every change must have been written.
    RatingCounters written() {
        reread_ = std::make_unique<PreferenceStore>(store_->filePath());
        return RatingCounters(*reread_);
    }

    QTemporaryDir folder_;
    int files_ = 0;
    std::unique_ptr<PreferenceStore> store_, reread_;
    std::unique_ptr<RVPWRatingPrompt> prompt_;
    double now_ = kStart;
    bool reachable_ = true, opens_ = true, storeHandler_ = false;
    QList<QUrl> opened_;
};

// Uses are counted without asking when asking is not allowed or there is no network.
TEST_F(RatingPrompt, CountsLaunchesPerVersionAndANewVersionStartsAfresh) {
    launch(20, false);
    now_ += 30 * kDay;
    launch(3, false);
    reachable_ = false;
    launch(2);
    EXPECT_EQ(written().useCount(), 25);
    EXPECT_EQ(written().firstUseDate(), kStart);
    EXPECT_FALSE(asking());
    reachable_ = true;
    launch(1);
    ASSERT_TRUE(asking());
    // Hiding the alert answers nothing.
    const QVariantMap before = store_->storedValues();
    prompt_->hideRatingAlert();
    EXPECT_FALSE(asking());
    written();
    EXPECT_EQ(reread_->storedValues(), before);
    launch(1);
    ASSERT_TRUE(asking());
    prompt_->clickedButtonAtIndex(RVPWRatingPrompt::RateNowButton);
    store_->setValues({{RatingCounters::kSignificantEventCountKey, 4},
                       {RatingCounters::kReminderRequestDateKey, kStart},
                       {RatingCounters::kDeclinedToRateKey, true}});
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1"));
    launch(1);
    const RatingCounters counters = written();
    EXPECT_EQ(counters.currentVersion() + QString::number(counters.useCount()), "1.11");
    EXPECT_EQ(counters.firstUseDate(), now_);
    EXPECT_EQ(counters.reminderRequestDate(), 0.0);
    EXPECT_FALSE(counters.declinedToRate() || counters.ratedCurrentVersion());
    EXPECT_EQ(reread_->value(RatingCounters::kSignificantEventCountKey), 0);
}

TEST_F(RatingPrompt, AsksAfterTwentyOneUsesAndFifteenDaysAndLaterWaitsTwoDays) {
    useFor(14);
    launch(19);  // more uses do not make up for days
    EXPECT_FALSE(asking());
    now_ = kStart + 15 * kDay;
    launch(1);
    ASSERT_TRUE(asking());  // and open() returned: the alert does not block
    QMessageBox* alert = prompt_->ratingAlert();
    EXPECT_TRUE(alert->text().contains(QGuiApplication::applicationDisplayName()));
    QStringList buttons;
    for (QAbstractButton* button : alert->buttons()) {
        buttons.append(button->text());
    }
    alert->buttons().at(static_cast<int>(buttons.indexOf("Maybe later")))->click();
    buttons.sort();
    EXPECT_EQ(buttons.join(u'|'), QStringLiteral("Maybe later|Never show this again|Rate now"));
    EXPECT_EQ(written().reminderRequestDate(), now_);
    EXPECT_FALSE(asking());
    now_ += 2 * kDay - 60;
    launch(1);
    EXPECT_FALSE(asking());
    now_ += 60;
    launch(1);
    EXPECT_TRUE(asking());
}

TEST_F(RatingPrompt, EachAnswerIsWrittenAndDecidesWhetherToAskAgain) {
    struct Case {
        int button;
        bool opens, storeHandler, declined, rated, remind;
    };
    const Case cases[] = {
        {RVPWRatingPrompt::NeverButton, true, false, true, false, false},
        {RVPWRatingPrompt::RateNowButton, true, true, false, true, false},
        {RVPWRatingPrompt::RateNowButton, true, false, false, true, false},
        // A page that did not open counts as "Maybe later".
        {RVPWRatingPrompt::RateNowButton, false, false, false, false, true},
        {RVPWRatingPrompt::LaterButton, true, false, false, false, true},
        {-1, true, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << c.opens << c.storeHandler);
        opens_ = c.opens;
        storeHandler_ = c.storeHandler;
        restart();
        useFor(15);
        ASSERT_TRUE(asking());
        prompt_->clickedButtonAtIndex(c.button);
        const RatingCounters counters = written();
        EXPECT_EQ(counters.declinedToRate(), c.declined);
        EXPECT_EQ(counters.ratedCurrentVersion(), c.rated);
        EXPECT_EQ(counters.reminderRequestDate(), c.remind ? now_ : 0.0);
        const QUrl page(c.storeHandler ? "appstream://org.plotwise.Plotwise"
                                       : "https://plotwise.org");
        EXPECT_EQ(opened_, c.button == 1 ? QList<QUrl>{page} : QList<QUrl>());
        prompt_->hideRatingAlert();
        now_ += kDay;
        launch(1);
        EXPECT_EQ(asking(), c.button == -1);
    }
}

// With or without a network backend or xdg-mime, the probes answer soon.
TEST(RatingPromptShared, ClassCallsCountOnOneInstanceAndThePlatformProbesNeverHang) {
    RVPWRatingPrompt& shared = RVPWRatingPrompt::sharedInstance();
    const long long before = shared.counters().useCount();
    QElapsedTimer timer;
    timer.start();
    RVPWRatingPrompt::appLaunched(true);
    RVPWRatingPrompt::appEnteredForeground(false);
    RVPWRatingPrompt::appWillResignActive();
    (void)RVPWRatingPrompt::defaultReachability();
    (void)RVPWRatingPrompt::defaultStoreHandlerProbe();
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(RVPWRatingPrompt::sharedInstance().counters().useCount(), before + 2);
    EXPECT_EQ(shared.ratingAlert(), nullptr);
}

}  // namespace
}  // namespace plotwise
