#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>

#include "app/rating/RatingCounters.h"

class QMessageBox;

namespace plotwise {

class PreferenceStore;

// Counts the uses of each application version and, once enough use has accumulated and the
// network is reachable, asks the user once per version to rate the application. Counting runs
// on the thread the prompt lives on (the main thread); the alert never blocks.
class RVPWRatingPrompt : public QObject {
    Q_OBJECT

public:
    // Seconds since 1970.
    using Clock = std::function<double()>;
    using Reachability = std::function<bool()>;
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Whether a program opens appstream: addresses.
    using StoreHandlerProbe = std::function<bool()>;

    enum Button { NeverButton = 0, RateNowButton = 1, LaterButton = 2 };

    explicit RVPWRatingPrompt(PreferenceStore& store, QObject* parent = nullptr);
    ~RVPWRatingPrompt() override;

    // The process's prompt over the standard preference store, made on first use.
    static RVPWRatingPrompt& sharedInstance();

    // A launch or a return to the foreground: counts it and, when `canPromptForRating`, asks.
    static void appLaunched(bool canPromptForRating);
    static void appEnteredForeground(bool canPromptForRating);
    // Takes the alert away without an answer.
    static void appWillResignActive();

    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setReachability(Reachability reachability) { reachability_ = std::move(reachability); }
    void setUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }
    void setStoreHandlerProbe(StoreHandlerProbe probe) { storeHandlerProbe_ = std::move(probe); }

    void incrementAndRate(bool canPromptForRating);
    bool connectedToNetwork() const;
    void showRatingAlert();
    void hideRatingAlert();
    // The answer with the button at `index`; other indexes change nothing.
    void clickedButtonAtIndex(int index);

    QMessageBox* ratingAlert() const;
    const RatingCounters& counters() const { return counters_; }
    // Where "Rate now" leads.
    QUrl ratePageUrl() const;

    static QUrl storePageUrl();
    static QUrl projectPageUrl();
    // The platform's answers: QNetworkInformation says Online; xdg-mime names a handler.
    static bool defaultReachability();
    static bool defaultStoreHandlerProbe();

private:
    double now() const { return clock_(); }

    RatingCounters counters_;
    Clock clock_;
    Reachability reachability_;
    UrlOpener urlOpener_;
    StoreHandlerProbe storeHandlerProbe_;
    QPointer<QMessageBox> ratingAlert_;
};

}  // namespace plotwise
