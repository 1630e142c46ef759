#pragma once

#include <QColor>
#include <QLatin1String>
#include <QVariantMap>
#include <array>
#include <variant>

namespace plotwise {

// The user's twelve preferences: one accessor each, reading the preference store afresh on every
// call (nothing is cached, so a change made elsewhere is seen at once). Class operations only.
class RVPWSettingsManager {
public:
    static constexpr QLatin1String enableShakesKey{"enableShakesKey"};
    static constexpr QLatin1String phoneHidesToolbarKey{"phoneHidesToolbarKey"};
    static constexpr QLatin1String defaultColorKey{"defaultColorKey"};
    static constexpr QLatin1String useRandomDefaultColorKey{"useRandomDefaultColorKey"};
    static constexpr QLatin1String enableKeyboardClicksKey{"enableKeyboardClicksKey"};
    static constexpr QLatin1String useDarkBackground2DKey{"useDarkBackground2DKey"};
    static constexpr QLatin1String useThickLines2DKey{"useThickLines2DKey"};
    static constexpr QLatin1String useProportionalZoom2DKey{"useProportionalZoom2DKey"};
    static constexpr QLatin1String showRotationBoxKey{"showRotationBoxKey"};
    static constexpr QLatin1String useLightBackground3DKey{"useLightBackground3DKey"};
    static constexpr QLatin1String fasterLessAccurate3DAlgorithmKey{
        "fasterLessAccurate3DAlgorithmKey"};
    static constexpr QLatin1String display3DValuesKey{"display3DValuesKey"};

    // One preference: its key and its registered default (a Boolean, or a text).
    struct Setting {
        QLatin1String key;
        std::variant<bool, QLatin1String> defaultValue;
    };

    // Every preference and its default, in one place.
    static constexpr std::array<Setting, 12> settings{{
        {enableShakesKey, true},
        {phoneHidesToolbarKey, false},
        // The colour text of opaque pure red.
        {defaultColorKey, QLatin1String("FF0000")},
        {useRandomDefaultColorKey, true},
        {enableKeyboardClicksKey, true},
        {useDarkBackground2DKey, false},
        {useThickLines2DKey, false},
        {useProportionalZoom2DKey, true},
        {showRotationBoxKey, true},
        {useLightBackground3DKey, false},
        {fasterLessAccurate3DAlgorithmKey, true},
        {display3DValuesKey, false},
    }};

    RVPWSettingsManager() = delete;

    static QVariantMap appDefaults();
    // Registers appDefaults with the standard preference store and makes new equations take
    // their default colour from defaultColor. Call once at start, before any accessor.
    static void registerDefaults();
    // Deletes both library files; a file that does not exist is not an error.
    static void resetLibraries();

    static bool canHideToolbar();
    // A fresh random opaque colour when random colours are on, else the stored colour text read
    // as a colour (invalid when the text is unreadable).
    static QColor defaultColor();
    static bool useRandomDefaultColor();
    static bool showRotationBox();
    static bool useDarkBackground2D();
    static bool useLightBackground3D();
    static bool useThickLines2D();
    static bool fasterLessAccurate3DAlgorithm();
    static bool useKeyboardClicks();
    static bool display3DValues();
    static bool useProportionalZoom2D();
    static bool shakeEnabled();
};

}  // namespace plotwise
