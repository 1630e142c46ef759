#pragma once

#include <QColor>
#include <QLatin1String>
#include <QStringList>
#include <QVariantMap>
#include <array>
#include <variant>

namespace plotwise {

class PreferenceStore;

// The user's twelve preferences over one preference store: one accessor each, reading the store
// afresh on every call (nothing is cached, so a change made elsewhere is seen at once).
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

    explicit RVPWSettingsManager(PreferenceStore& store) : store_(store) {}

    static QVariantMap appDefaults();
    // Registers appDefaults with the store. Call once at start, before any accessor.
    void registerDefaults() const;
    // Deletes both library files; a file that does not exist is not an error. Returns the
    // paths of the files that exist but could not be deleted.
    static QStringList resetLibraries();

    PreferenceStore& store() const { return store_; }

    bool canHideToolbar() const;
    // A fresh random opaque colour when random colours are on, else the stored colour text read
    // as a colour (invalid when the text is unreadable).
    QColor defaultColor() const;
    bool useRandomDefaultColor() const;
    bool showRotationBox() const;
    bool useDarkBackground2D() const;
    bool useLightBackground3D() const;
    bool useThickLines2D() const;
    bool fasterLessAccurate3DAlgorithm() const;
    bool useKeyboardClicks() const;
    bool display3DValues() const;
    bool useProportionalZoom2D() const;
    bool shakeEnabled() const;

private:
    bool flag(QLatin1String key) const;

    PreferenceStore& store_;
};

}  // namespace plotwise
