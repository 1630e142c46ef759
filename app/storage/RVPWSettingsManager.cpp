#include "app/storage/RVPWSettingsManager.h"

#include <QFile>

#include "app/storage/LibraryStorage.h"
#include "app/storage/PreferenceStore.h"
#include "equations/ColorText.h"
#include "equations/RVEquation.h"

namespace plotwise {

namespace {

bool flag(QLatin1String key) {
    return PreferenceStore::standard().boolValue(key);
}

}  // namespace

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

void RVPWSettingsManager::registerDefaults() {
    PreferenceStore::standard().registerDefaults(appDefaults());
    RVEquation::setDefaultColorProvider(&RVPWSettingsManager::defaultColor);
}

void RVPWSettingsManager::resetLibraries() {
    QFile::remove(LibraryStorage::libraryFilePath(LibraryStorage::library2DFileName));
    QFile::remove(LibraryStorage::libraryFilePath(LibraryStorage::library3DFileName));
}

bool RVPWSettingsManager::canHideToolbar() {
    return flag(phoneHidesToolbarKey);
}

QColor RVPWSettingsManager::defaultColor() {
    if (useRandomDefaultColor()) {
        return randomColor();
    }
    return colorWithHexString(PreferenceStore::standard().stringValue(defaultColorKey));
}

bool RVPWSettingsManager::useRandomDefaultColor() {
    return flag(useRandomDefaultColorKey);
}

bool RVPWSettingsManager::showRotationBox() {
    return flag(showRotationBoxKey);
}

bool RVPWSettingsManager::useDarkBackground2D() {
    return flag(useDarkBackground2DKey);
}

bool RVPWSettingsManager::useLightBackground3D() {
    return flag(useLightBackground3DKey);
}

bool RVPWSettingsManager::useThickLines2D() {
    return flag(useThickLines2DKey);
}

bool RVPWSettingsManager::fasterLessAccurate3DAlgorithm() {
    return flag(fasterLessAccurate3DAlgorithmKey);
}

bool RVPWSettingsManager::useKeyboardClicks() {
    return flag(enableKeyboardClicksKey);
}

bool RVPWSettingsManager::display3DValues() {
    return flag(display3DValuesKey);
}

bool RVPWSettingsManager::useProportionalZoom2D() {
    return flag(useProportionalZoom2DKey);
}

bool RVPWSettingsManager::shakeEnabled() {
    return flag(enableShakesKey);
}

}  // namespace plotwise
