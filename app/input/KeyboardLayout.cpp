#include "app/input/KeyboardLayout.h"

#include "engine/FunctionLibrary.h"

namespace plotwise {

namespace {

constexpr int kDigitTag = 0;
constexpr int kOperatorTag = 20;

std::vector<KeySpec> keys(const QStringList& titles, int tag) {
    std::vector<KeySpec> row;
    for (const QString& title : titles) {
        row.push_back({title, tag});
    }
    return row;
}

std::vector<KeySpec> concat(std::vector<KeySpec> a, const std::vector<KeySpec>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

KeySpec backspace(int span = 1) {
    return {KeyboardLayout::backspaceTitle, KeyboardLayout::backspaceTag, span};
}

// Tablet order: the derivatives take tags 38 to 40, so "d/dz" is 40.
QStringList tabletFunctionOrder() {
    return {"sin",   "cos",  "tan",  "cot",  "sec",  "csc",   "asin", "acos",
            "d/dx",  "d/dy", "d/dz", "atan", "sinh", "cosh",  "tanh", "coth",
            "sech",  "csch", "ln",   "log",  "log2", "logn",  "abs",  "ceil",
            "floor", "if",   "max",  "min",  "mod",  "todeg", "torad"};
}

KeyboardLayout phonePortrait() {
    KeyboardLayout layout;
    layout.rows = {
        concat(keys({"(", ")", ",", "^", "√"}, kOperatorTag), {backspace()}),
        concat(keys({"7", "8", "9"}, kDigitTag), keys({"/", "=", "≠"}, kOperatorTag)),
        concat(keys({"4", "5", "6"}, kDigitTag), keys({"×", "<", ">"}, kOperatorTag)),
        concat(keys({"1", "2", "3"}, kDigitTag), keys({"-", "≤", "≥"}, kOperatorTag)),
        concat(keys({"0", "."}, kDigitTag),
               keys({"+", KeyboardLayout::leftArrow, KeyboardLayout::rightArrow}, kOperatorTag)),
    };
    layout.rows.back()[0].span = 2;
    layout.variableStrip = {"x", "y", "z", "r", "Θ", "Φ", "e", "π"};
    return layout;
}

KeyboardLayout phoneLandscape() {
    KeyboardLayout layout;
    std::vector<KeySpec> variables;
    int tag = 3;
    for (const char* name : {"x", "y", "z", "r", "Θ", "Φ"}) {
        variables.push_back({QString::fromUtf8(name), tag++});
    }
    layout.rows = {
        concat(variables, concat(keys({"(", ")", ","}, kOperatorTag), {backspace()})),
        concat(keys({"7", "8", "9"}, kDigitTag),
               keys({"/", "^", "√", "e", "π", "=", "≠"}, kOperatorTag)),
        concat(keys({"4", "5", "6"}, kDigitTag),
               keys({"×", "-", "<", ">", "≤", "≥"}, kOperatorTag)),
        concat(keys({"1", "2", "3", "0", "."}, kDigitTag),
               keys({"+", KeyboardLayout::leftArrow, KeyboardLayout::rightArrow}, kOperatorTag)),
    };
    return layout;
}

KeyboardLayout tablet() {
    KeyboardLayout layout;
    const QStringList functions = tabletFunctionOrder();
    std::vector<KeySpec> functionKeys;
    for (int i = 0; i < functions.size(); ++i) {
        functionKeys.push_back({functions[i], KeyboardLayout::firstTabletFunctionTag + i});
    }
    std::vector<KeySpec> variables;
    int tag = 1;
    for (const char* name : {"x", "y", "z", "r", "Θ", "Φ"}) {
        variables.push_back({QString::fromUtf8(name), tag++});
    }
    layout.rows = {
        {functionKeys.begin(), functionKeys.begin() + 11},
        {functionKeys.begin() + 11, functionKeys.begin() + 22},
        {functionKeys.begin() + 22, functionKeys.end()},
        concat(variables, keys({"e", "π", "(", ")", ","}, kOperatorTag)),
        concat(keys({"7", "8", "9"}, kDigitTag),
               concat(keys({"/", "^", "√", "=", "≠"}, kOperatorTag), {backspace()})),
        concat(keys({"4", "5", "6"}, kDigitTag),
               keys({"×", "-", "<", ">", "≤", "≥"}, kOperatorTag)),
        concat(keys({"1", "2", "3", "0", "."}, kDigitTag),
               keys({"+", KeyboardLayout::leftArrow, KeyboardLayout::rightArrow}, kOperatorTag)),
    };
    return layout;
}

void retitle(KeyboardLayout& layout, int tag, const QString& title) {
    for (auto& row : layout.rows) {
        for (KeySpec& key : row) {
            if (key.tag == tag) {
                key.title = title;
            }
        }
    }
}

void hide(KeyboardLayout& layout, int tag) {
    for (auto& row : layout.rows) {
        for (KeySpec& key : row) {
            if (key.tag == tag) {
                key.hidden = true;
            }
        }
    }
}

}  // namespace

QStringList KeyboardLayout::functionNames(bool is3D) {
    // The strip's order, which is the registry's names regrouped by kind.
    static const QStringList order = {
        "sin",  "cos",  "tan",   "cot",  "sec",  "csc",  "asin", "acos",  "atan", "sinh", "cosh",
        "tanh", "coth", "sech",  "csch", "d/dx", "d/dy", "d/dz", "ln",    "log",  "log2", "logn",
        "abs",  "ceil", "floor", "if",   "max",  "min",  "mod",  "todeg", "torad"};
    QStringList names;
    for (const QString& name : order) {
        if (is3D || name != QStringLiteral("d/dz")) {
            names.append(name);
        }
    }
    return names;
}

KeyboardLayout KeyboardLayout::layoutFor(DeviceClass device, bool landscape, bool is3D) {
    KeyboardLayout layout;
    if (device == DeviceClass::Tablet) {
        layout = tablet();
        if (!is3D) {
            const QStringList titles = {"x", "y", "r", "Θ"};
            for (int i = 0; i < titles.size(); ++i) {
                retitle(layout, 1 + i, titles[i]);
            }
            hide(layout, 5);
            hide(layout, 6);
            hide(layout, 40);
        }
        return layout;
    }
    layout = landscape ? phoneLandscape() : phonePortrait();
    if (landscape) {
        layout.variableStrip.clear();
        if (!is3D) {
            const QStringList titles = {"x", "y", "r", "Θ"};
            for (int i = 0; i < titles.size(); ++i) {
                retitle(layout, 3 + i, titles[i]);
            }
            hide(layout, 7);
            hide(layout, 8);
        }
    } else if (!is3D) {
        layout.variableStrip = {"x", "y", "r", "Θ", "e", "π"};
    }
    layout.functionStrip = functionNames(is3D);
    return layout;
}

bool KeyboardLayout::isFunctionKey(int tag, DeviceClass device) {
    return device == DeviceClass::Tablet ? tag >= firstTabletFunctionTag : tag == phoneFunctionTag;
}

QString KeyboardLayout::insertionFor(const KeySpec& key, DeviceClass device) {
    if (key.tag == backspaceTag || isArrow(key.title) ||
        (device == DeviceClass::Phone && key.tag == phoneUnwiredTag)) {
        return {};
    }
    if (isFunctionKey(key.tag, device)) {
        return key.title + u'(';
    }
    if (key.title == QStringLiteral("×")) {
        return QStringLiteral("⋅");
    }
    return key.title;
}

QString KeyboardLayout::shortcutFor(const QString& title) {
    static const QList<std::pair<QString, QString>> shortcuts = {
        {"√", "Alt+S"}, {"π", "Alt+P"}, {"Θ", "Alt+T"}, {"Φ", "Alt+F"},
        {"≤", "Alt+<"}, {"≥", "Alt+>"}, {"≠", "Alt+="}, {"×", "*"}};
    for (const auto& [key, shortcut] : shortcuts) {
        if (key == title) {
            return shortcut;
        }
    }
    return {};
}

}  // namespace plotwise
