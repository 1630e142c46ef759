#pragma once

#include <QString>

namespace plotwise {

class PreferenceStore;

// The rating prompt's counters in the preference store: how often this version was used, since
// when, and what the user answered. Times are seconds since 1970, handed in by the caller.
class RatingCounters {
public:
    static constexpr char kCurrentVersionKey[] = "kRatingPromptCurrentVersion";
    static constexpr char kFirstUseDateKey[] = "kRatingPromptFirstUseDate";
    static constexpr char kUseCountKey[] = "kRatingPromptUseCount";
    static constexpr char kSignificantEventCountKey[] = "kRatingPromptSignificantEventCount";
    static constexpr char kRatedCurrentVersionKey[] = "kRatingPromptRatedCurrentVersion";
    static constexpr char kDeclinedToRateKey[] = "kRatingPromptDeclinedToRate";
    static constexpr char kReminderRequestDateKey[] = "kRatingPromptReminderRequestDate";

    static constexpr double kDaysUntilPrompt = 15.0;
    static constexpr long long kUsesUntilPrompt = 21;
    static constexpr double kDaysBeforeReminding = 2.0;
    static constexpr double kSecondsPerDay = 86400.0;

    explicit RatingCounters(PreferenceStore& store) : store_(store) {}

    // One more use of `version`; the first use of a new version starts its counters afresh.
    void incrementUseCount(const QString& version, double now);
    bool ratingConditionsHaveBeenMet(double now) const;

    void recordDeclined();
    void recordRated();
    void recordReminderRequest(double now);

    long long useCount() const;
    double firstUseDate() const;
    double reminderRequestDate() const;
    bool declinedToRate() const;
    bool ratedCurrentVersion() const;
    QString currentVersion() const;

private:
    double doubleValue(const char* key) const;

    PreferenceStore& store_;
};

}  // namespace plotwise
