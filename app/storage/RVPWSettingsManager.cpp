#include "app/storage/RVPWSettingsManager.h"

#include <QFile>

#include "app/storage/LibraryStorage.h"
#include "app/storage/PreferenceStore.h"
#include "equations/ColorText.h"

namespace plotwise {

QVariantMap RVPWSettingsManager::appDefaults() {
    QVariantMap defaults;
    for (const Setting& setting : settings) {
        if (const bool* value = std::get_if<bool>(&setting.defaultValue)) {
            defaults.insert(setting.key, *value);
        } else {
            defaults.insert(setting.key, QString(std::get<QLatin1String>(setting.defaultValue)));
        }
    }
    return defaults;
}

void RVPWSettingsManager::registerDefaults() const {
    store_.registerDefaults(appDefaults());
}

bool RVPWSettingsManager::flag(QLatin1String key) const {
    return store_.boolValue(key);
}

QStringList RVPWSettingsManager::resetLibraries() {
    QStringList failures;
    for (const QLatin1String name :
         {LibraryStorage::library2DFileName, LibraryStorage::library3DFileName}) {
        QFile file(LibraryStorage::libraryFilePath(name));
        // A missing file is already reset.
        if (!file.remove() && file.exists()) {
            failures.append(file.fileName());
        }
    }
    return failures;
}

bool RVPWSettingsManager::canHideToolbar() const {
    return flag(phoneHidesToolbarKey);
}

QColor RVPWSettingsManager::defaultColor() const {
    if (useRandomDefaultColor()) {
        return randomColor();
    }
    return colorWithHexString(store_.stringValue(defaultColorKey));
}

bool RVPWSettingsManager::useRandomDefaultColor() const {
    return flag(useRandomDefaultColorKey);
}

bool RVPWSettingsManager::showRotationBox() const {
    return flag(showRotationBoxKey);
}

bool RVPWSettingsManager::useDarkBackground2D() const {
    return flag(useDarkBackground2DKey);
}

bool RVPWSettingsManager::useLightBackground3D() const {
    return flag(useLightBackground3DKey);
}

bool RVPWSettingsManager::useThickLines2D() const {
    return flag(useThickLines2DKey);
}

bool RVPWSettingsManager::fasterLessAccurate3DAlgorithm() const {
    return flag(fasterLessAccurate3DAlgorithmKey);
}

bool RVPWSettingsManager::useKeyboardClicks() const {
    return flag(enableKeyboardClicksKey);
}

bool RVPWSettingsManager::display3DValues() const {
    return flag(display3DValuesKey);
}

bool RVPWSettingsManager::useProportionalZoom2D() const {
    return flag(useProportionalZoom2DKey);
}

bool RVPWSettingsManager::shakeEnabled() const {
    return flag(enableShakesKey);
}

}  // namespace plotwise
