#include "app/rating/RVPWRatingPrompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QMessageBox>
#include <QNetworkInformation>
#include <QPushButton>
#include <QThread>

#include "app/platform/SchemeHandler.h"
#include "app/storage/ApplicationIdentity.h"
#include "app/storage/PreferenceStore.h"

namespace plotwise {

namespace {

QString translated(const char* text) {
    return QCoreApplication::translate("RatingPrompt", text);
}

}  // namespace

RVPWRatingPrompt::RVPWRatingPrompt(PreferenceStore& store, QObject* parent)
    : QObject(parent),
      counters_(store),
      clock_([] { return QDateTime::currentMSecsSinceEpoch() / 1000.0; }),
      reachability_(&RVPWRatingPrompt::defaultReachability),
      urlOpener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      storeHandlerProbe_(&RVPWRatingPrompt::defaultStoreHandlerProbe) {}

RVPWRatingPrompt::~RVPWRatingPrompt() {
    delete ratingAlert_.data();
}

RVPWRatingPrompt& RVPWRatingPrompt::sharedInstance() {
    // Made once, thread-safely; it lives on the application's thread and dies with it.
    static RVPWRatingPrompt* instance = [] {
        auto* prompt = new RVPWRatingPrompt(PreferenceStore::standard());
        if (QCoreApplication* application = QCoreApplication::instance()) {
            prompt->moveToThread(application->thread());
            prompt->setParent(application);
        }
        return prompt;
    }();
    return *instance;
}

QMessageBox* RVPWRatingPrompt::ratingAlert() const {
    return ratingAlert_;
}

void RVPWRatingPrompt::appLaunched(bool canPromptForRating) {
    RVPWRatingPrompt& prompt = sharedInstance();
    // Counted on the prompt's own thread, in call order, so no count is lost.
    QMetaObject::invokeMethod(
        &prompt, [&prompt, canPromptForRating] { prompt.incrementAndRate(canPromptForRating); },
        QThread::currentThread() == prompt.thread() ? Qt::DirectConnection : Qt::QueuedConnection);
}

void RVPWRatingPrompt::appEnteredForeground(bool canPromptForRating) {
    appLaunched(canPromptForRating);
}

void RVPWRatingPrompt::appWillResignActive() {
    sharedInstance().hideRatingAlert();
}

void RVPWRatingPrompt::incrementAndRate(bool canPromptForRating) {
    counters_.incrementUseCount(QCoreApplication::applicationVersion(), now());
    if (canPromptForRating && counters_.ratingConditionsHaveBeenMet(now()) &&
        connectedToNetwork()) {
        showRatingAlert();
    }
}

bool RVPWRatingPrompt::connectedToNetwork() const {
    return reachability_ && reachability_();
}

bool RVPWRatingPrompt::defaultReachability() {
    // Only asks the system what it knows; no server is contacted.
    if (QNetworkInformation::instance() == nullptr &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        return false;
    }
    const QNetworkInformation* information = QNetworkInformation::instance();
    return information != nullptr &&
           information->reachability() == QNetworkInformation::Reachability::Online;
}

bool RVPWRatingPrompt::defaultStoreHandlerProbe() {
    return hasDefaultSchemeHandler(QStringLiteral("appstream")).value_or(false);
}

QUrl RVPWRatingPrompt::storePageUrl() {
    return QUrl(QStringLiteral("appstream://") + QStringLiteral(PLOTWISE_APP_ID));
}

QUrl RVPWRatingPrompt::projectPageUrl() {
    return QUrl(QString::fromLatin1(kProjectPage));
}

QUrl RVPWRatingPrompt::ratePageUrl() const {
    return storeHandlerProbe_ && storeHandlerProbe_() ? storePageUrl() : projectPageUrl();
}

void RVPWRatingPrompt::showRatingAlert() {
    if (ratingAlert_ != nullptr) {
        return;  // one question at a time
    }
    auto* alert = new QMessageBox(QApplication::activeWindow());
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowTitle(QGuiApplication::applicationDisplayName());
    alert->setText(
        translated("Thank you for using\n%1!").arg(QGuiApplication::applicationDisplayName()));
    alert->setInformativeText(
        translated("If you find this application useful, please consider rating it.\n\nThanks!"));
    QPushButton* never =
        alert->addButton(translated("Never show this again"), QMessageBox::RejectRole);
    QPushButton* rate = alert->addButton(translated("Rate now"), QMessageBox::AcceptRole);
    QPushButton* later = alert->addButton(translated("Maybe later"), QMessageBox::NoRole);
    alert->setDefaultButton(rate);
    // Escape or closing the window is not a "never": it asks again later.
    alert->setEscapeButton(later);
    const QList<QPushButton*> buttons{never, rate, later};
    connect(alert, &QMessageBox::buttonClicked, this, [this, buttons](QAbstractButton* button) {
        clickedButtonAtIndex(static_cast<int>(buttons.indexOf(button)));
    });
    ratingAlert_ = alert;
    alert->open();
}

void RVPWRatingPrompt::hideRatingAlert() {
    if (ratingAlert_ == nullptr) {
        return;
    }
    QMessageBox* alert = ratingAlert_;
    ratingAlert_ = nullptr;
    alert->disconnect(this);
    alert->close();
}

void RVPWRatingPrompt::clickedButtonAtIndex(int index) {
    if (index < NeverButton || index > LaterButton) {
        return;
    }
    // The answer closes the question, whether it came from the alert or not.
    hideRatingAlert();
    switch (index) {
        case NeverButton:
            counters_.recordDeclined();
            break;
        case RateNowButton:
            // Rated only once the page opened; a page that did not open asks again later.
            if (urlOpener_ && urlOpener_(ratePageUrl())) {
                counters_.recordRated();
            } else {
                counters_.recordReminderRequest(now());
            }
            break;
        case LaterButton:
            counters_.recordReminderRequest(now());
            break;
        default:
            break;
    }
}

}  // namespace plotwise
