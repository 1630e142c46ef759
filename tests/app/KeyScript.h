#pragma once

#include <QHash>
#include <QString>
#include <QTest>
#include <QWidget>

// Key sequences for the input tests, written as text: characters are typed as they are, and
// names in braces are keys with modifiers ("{S-Left}", "{C-a}", "{A-=}", "{KP,}").
namespace plotwise::testing {

struct ScriptKey {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

inline ScriptKey namedKey(const QString& name) {
    static const QHash<QString, int> keys = {
        {"Left", Qt::Key_Left},  {"Right", Qt::Key_Right},  {"Home", Qt::Key_Home},
        {"End", Qt::Key_End},    {"BS", Qt::Key_Backspace}, {"Del", Qt::Key_Delete},
        {"Ret", Qt::Key_Return}, {"Esc", Qt::Key_Escape},   {"a", Qt::Key_A},
        {"b", Qt::Key_B},        {"c", Qt::Key_C},          {"f", Qt::Key_F},
        {"p", Qt::Key_P},        {"s", Qt::Key_S},          {"t", Qt::Key_T},
        {"v", Qt::Key_V},        {"x", Qt::Key_X},          {"z", Qt::Key_Z},
        {"<", Qt::Key_Less},     {">", Qt::Key_Greater},    {"=", Qt::Key_Equal},
        {",", Qt::Key_Comma},    {".", Qt::Key_Period}};
    Qt::KeyboardModifiers modifiers;
    QString rest = name;
    while (rest.size() > 2 && rest.at(1) == u'-') {
        const QChar m = rest.at(0);
        modifiers |= m == u'S'   ? Qt::ShiftModifier
                     : m == u'C' ? Qt::ControlModifier
                     : m == u'A' ? Qt::AltModifier
                                 : Qt::MetaModifier;
        rest = rest.mid(2);
    }
    if (rest.startsWith(QStringLiteral("KP"))) {
        modifiers |= Qt::KeypadModifier;
        rest = rest.mid(2);
    }
    const int key = keys.value(rest, Qt::Key_unknown);
    QString text;
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier)) && rest.size() == 1) {
        text = rest;
    }
    return {key, modifiers, text};
}

// Sends the script's keys to `widget` as the keyboard would (shortcut override first).
inline void typeScript(QWidget* widget, const QString& script) {
    for (qsizetype i = 0; i < script.size(); ++i) {
        ScriptKey key;
        if (script.at(i) == u'{' && script.indexOf(u'}', i + 2) > i) {
            const qsizetype end = script.indexOf(u'}', i + 2);
            key = namedKey(script.mid(i + 1, end - i - 1));
            i = end;
        } else {
            const qsizetype length = script.at(i).isHighSurrogate() ? 2 : 1;
            key = {Qt::Key_unknown, Qt::NoModifier, script.mid(i, length)};
            i += length - 1;
        }
        QTest::sendKeyEvent(QTest::Click, widget, static_cast<Qt::Key>(key.key), key.text,
                            key.modifiers);
    }
}

}  // namespace plotwise::testing
