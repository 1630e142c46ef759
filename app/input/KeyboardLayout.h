#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "common/DeviceClass.h"

namespace plotwise {

// One key of a layout: its title, its tag (which decides what a press inserts and how the key
// looks), its share of the row's width and whether it shows.
struct KeySpec {
    QString title;
    int tag = 0;
    int span = 1;
    bool hidden = false;
};

// Where the keys of the expression keyboard go, by device class, shape and plane. The fixed keys
// sit in rows that share the width by span; the phone adds scrolling strips above them.
class KeyboardLayout {
public:
    // Tags with a meaning to the keyboard.
    static constexpr int backspaceTag = 19;
    static constexpr int phoneUnwiredTag = 1;
    static constexpr int phoneFunctionTag = 2;
    static constexpr int firstTabletFunctionTag = 30;
    // Keys from this tag on have the dark look.
    static constexpr int darkTag = 20;

    std::vector<std::vector<KeySpec>> rows;
    // Phone only: the variable strip (portrait) and the function strip (both shapes).
    QStringList variableStrip;
    QStringList functionStrip;

    static KeyboardLayout layoutFor(DeviceClass device, bool landscape, bool is3D);

    // The function keys' names in the strip's order, "d/dz" only in 3D.
    static QStringList functionNames(bool is3D);
    // What a press of a key inserts: a function key's title and "(", "⋅" for "×", else the
    // title. Empty for the keys that edit instead (backspace, arrows) and for unwired keys.
    static QString insertionFor(const KeySpec& key, DeviceClass device);
    static bool isFunctionKey(int tag, DeviceClass device);
    static bool isArrow(const QString& title) { return title == leftArrow || title == rightArrow; }
    // The physical shortcut of a key, for its tooltip, or empty.
    static QString shortcutFor(const QString& title);

    static inline const QString leftArrow = QStringLiteral("←");
    static inline const QString rightArrow = QStringLiteral("→");
    static inline const QString backspaceTitle = QStringLiteral("⌫");
};

}  // namespace plotwise
