#include "app/rating/RatingCounters.h"

#include <QVariantMap>

#include "app/storage/PreferenceStore.h"

namespace plotwise {

namespace {

QString key(const char* name) {
    return QString::fromLatin1(name);
}

}  // namespace

void RatingCounters::incrementUseCount(const QString& version, double now) {
    const QVariant stored = store_.value(key(kCurrentVersionKey));
    if (!stored.isValid() || stored.toString() == version) {
        QVariantMap values{{key(kCurrentVersionKey), version}, {key(kUseCountKey), useCount() + 1}};
        if (firstUseDate() == 0.0) {
            values.insert(key(kFirstUseDateKey), now);
        }
        store_.setValues(values);
        return;
    }
    store_.setValues({{key(kCurrentVersionKey), version},
                      {key(kFirstUseDateKey), now},
                      {key(kUseCountKey), 1LL},
                      {key(kSignificantEventCountKey), 0LL},
                      {key(kRatedCurrentVersionKey), false},
                      {key(kDeclinedToRateKey), false},
                      {key(kReminderRequestDateKey), 0.0}});
}

bool RatingCounters::ratingConditionsHaveBeenMet(double now) const {
    // A clock set back reads as no time passed, never as a long time.
    return now - firstUseDate() >= kDaysUntilPrompt * kSecondsPerDay &&
           useCount() >= kUsesUntilPrompt && !declinedToRate() && !ratedCurrentVersion() &&
           now - reminderRequestDate() >= kDaysBeforeReminding * kSecondsPerDay;
}

void RatingCounters::recordDeclined() {
    store_.setValue(key(kDeclinedToRateKey), true);
}

void RatingCounters::recordRated() {
    store_.setValue(key(kRatedCurrentVersionKey), true);
}

void RatingCounters::recordReminderRequest(double now) {
    store_.setValue(key(kReminderRequestDateKey), now);
}

long long RatingCounters::useCount() const {
    bool ok = false;
    const long long count = store_.value(key(kUseCountKey)).toLongLong(&ok);
    return ok ? count : 0;
}

double RatingCounters::firstUseDate() const {
    return doubleValue(kFirstUseDateKey);
}

double RatingCounters::reminderRequestDate() const {
    return doubleValue(kReminderRequestDateKey);
}

bool RatingCounters::declinedToRate() const {
    return store_.boolValue(key(kDeclinedToRateKey));
}

bool RatingCounters::ratedCurrentVersion() const {
    return store_.boolValue(key(kRatedCurrentVersionKey));
}

QString RatingCounters::currentVersion() const {
    return store_.stringValue(key(kCurrentVersionKey));
}

double RatingCounters::doubleValue(const char* name) const {
    bool ok = false;
    const double value = store_.value(key(name)).toDouble(&ok);
    return ok ? value : 0.0;
}

}  // namespace plotwise
