#pragma once

#include "app/storage/NotificationCenter.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/RVPWSettingsManager.h"
#include "common/DeviceClass.h"

namespace plotwise {

// What every screen is handed instead of reaching for process-wide statics: the preference
// store, the settings read from it, the notification centre and the device class. The
// application builds one at start; a test builds its own over a store in a folder of its own.
// Holds references only: the store and the centre outlive the context.
class ApplicationContext {
public:
    ApplicationContext(PreferenceStore& store, NotificationCenter& notificationCenter,
                       DeviceClass deviceClass)
        : store_(store),
          settings_(store),
          notificationCenter_(notificationCenter),
          deviceClass_(deviceClass) {}
    ApplicationContext(const ApplicationContext&) = delete;
    ApplicationContext& operator=(const ApplicationContext&) = delete;

    PreferenceStore& store() const { return store_; }
    const RVPWSettingsManager& settings() const { return settings_; }
    NotificationCenter& notificationCenter() const { return notificationCenter_; }
    DeviceClass deviceClass() const { return deviceClass_; }

private:
    PreferenceStore& store_;
    RVPWSettingsManager settings_;
    NotificationCenter& notificationCenter_;
    DeviceClass deviceClass_;
};

}  // namespace plotwise
