#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QPointingDevice>
#include <QTest>

#include "KeyScript.h"
#include "app/input/RVTextField.h"

namespace plotwise {
namespace {

using testing::typeScript;

// A surrogate pair: MATHEMATICAL ITALIC SMALL X.
const QString kPair = QString::fromUcs4(U"\U0001D465");

class TextField : public ::testing::Test {
protected:
    void SetUp() override {
        field_.resize(300, 44);
        field_.show();
        field_.activateWindow();
        field_.setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&field_));
    }

    void start(const QString& text, int caret) {
        field_.setText(text);
        field_.setCaretPosition(caret);
    }

    RVTextField field_;
};

struct KeyCase {
    const char* name;
    QString text;
    int caret;
    QString script;
    QString expectedText;
    int expectedCaret;
    int selectionStart = -1;  // -1: no selection
    int selectionEnd = -1;
};

TEST_F(TextField, KeySequencesGiveTextCaretAndSelection) {
    const QString p = kPair;
    const std::vector<KeyCase> cases = {
        {"typing inserts at the caret", "y=", 2, "x*2", "y=x⋅2", 5},
        {"typing in the middle", "y=x", 2, "2", "y=2x", 3},
        {"left then backspace", "y=12", 4, "{Left}{BS}", "y=2", 2},
        {"backspace at the start changes nothing", "y=1", 0, "{BS}", "y=1", 0},
        {"right at the end changes nothing", "y=1", 3, "{Right}", "y=1", 3},
        {"delete at the end changes nothing", "y=1", 3, "{Del}", "y=1", 3},
        {"home and delete", "y=1", 3, "{Home}{Del}", "=1", 0},
        {"shift left selects", "y=abc", 5, "{S-Left}{S-Left}", "y=abc", 3, 3, 5},
        {"typing replaces the selection", "y=abc", 5, "{S-Left}{S-Left}7", "y=a7", 4},
        {"shift home then delete", "y=abc", 3, "{S-Home}{Del}", "bc", 0},
        {"shift end selects to the end", "y=abc", 1, "{S-End}", "y=abc", 5, 1, 5},
        {"left collapses a selection at its start", "y=abc", 5, "{S-Left}{S-Left}{Left}", "y=abc",
         3},
        {"select all then type", "y=abc", 1, "{C-a}5", "5", 1},
        {"<= >= != become one sign", "", 0, "x<=1>=2!=3", "x≤1≥2≠3", 7},
        {"== stays two signs", "", 0, "x==1", "x==1", 4},
        {"alt shortcuts", "", 0, "{A-s}{A-p}{A-t}{A-f}{A-<}{A->}{A-=}", "√πΘΦ≤≥≠", 7},
        {"keypad decimal is a point", "y=1", 3, "{KP,}5{KP.}", "y=1.5.", 6},
        {"control chords insert nothing", "y=", 2, "{C-b}{M-x}\x01\x1b", "y=", 2},
        {"enter inserts nothing", "y=1", 3, "{Ret}", "y=1", 3},
        {"undo and redo", "y=", 2, "12{C-z}{C-z}{C-S-z}", "y=1", 3},
        {"caret steps over a surrogate pair", "a" + p + "b", 4, "{Left}{Left}", "a" + p + "b", 1},
        {"backspace removes a whole pair", "a" + p + "b", 3, "{BS}", "ab", 1},
        {"delete removes a whole pair", "a" + p + "b", 1, "{Del}", "ab", 1},
        {"shift right selects a whole pair", "a" + p, 1, "{S-Right}", "a" + p, 3, 1, 3},
    };
    int returns = 0;
    QObject::connect(&field_, &RVTextField::textFieldDidReceiveReturn, [&] { ++returns; });
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        start(c.text, c.caret);
        typeScript(&field_, c.script);
        EXPECT_EQ(field_.text(), c.expectedText);
        EXPECT_EQ(field_.caretPosition(), c.expectedCaret);
        if (c.selectionStart >= 0) {
            EXPECT_TRUE(field_.hasSelection());
            EXPECT_EQ(field_.selectionStart(), c.selectionStart);
            EXPECT_EQ(field_.selectionEnd(), c.selectionEnd);
        } else {
            EXPECT_FALSE(field_.hasSelection());
        }
    }
    EXPECT_EQ(returns, 1) << "Enter is reported";
}

TEST_F(TextField, CopyTakesTheSelectionOrTheWholeTextAndPasteLeavesTheCaretAfterIt) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    start("y=sin(x)", 8);
    field_.copy();
    EXPECT_EQ(clipboard->text(), "y=sin(x)");
    typeScript(&field_, "{Home}{Right}{Right}{S-Right}{S-Right}{S-Right}{C-c}");
    EXPECT_EQ(clipboard->text(), "sin");

    clipboard->setText("2⋅\r\n3\n4\r5");
    start("y=x", 2);
    typeScript(&field_, "{C-v}");
    EXPECT_EQ(field_.text(), "y=2⋅ 3 4 5x");
    EXPECT_EQ(field_.caretPosition(), 10);

    // Paste replaces a selection, and cut takes it away.
    typeScript(&field_, "{S-Home}{C-x}");
    EXPECT_EQ(field_.text(), "x");
    EXPECT_EQ(clipboard->text(), "y=2⋅ 3 4 5");
}

TEST_F(TextField, InputMethodCommitsReplacementsAndPreedit) {
    start("y=ab", 3);
    QInputMethodEvent preedit("^", {});
    QApplication::sendEvent(&field_, &preedit);
    EXPECT_EQ(field_.text(), "y=ab");
    EXPECT_EQ(field_.preeditText(), "^");

    const auto commit = [this](const QString& text, int from = 0, int length = 0) {
        QInputMethodEvent event;
        event.setCommitString(text, from, length);
        QApplication::sendEvent(&field_, &event);
    };
    commit("â");
    EXPECT_EQ(field_.text(), "y=aâb");
    EXPECT_EQ(field_.caretPosition(), 4);
    EXPECT_TRUE(field_.preeditText().isEmpty());
    // Replace the character before the caret; ranges past either end are clamped.
    commit("x", -1, 1);
    EXPECT_EQ(field_.text(), "y=axb");
    commit("Z", -1000, 5000);
    EXPECT_EQ(field_.text(), "Z");
    // Never half a pair: a replacement starting inside one takes the whole pair.
    start("a" + kPair, 3);
    commit("b", -1, 1);
    EXPECT_EQ(field_.text(), "ab");

    start("y=" + kPair + "1", 4);
    EXPECT_EQ(field_.inputMethodQuery(Qt::ImCursorPosition).toInt(), 4);
    EXPECT_EQ(field_.inputMethodQuery(Qt::ImSurroundingText).toString(), "y=" + kPair + "1");
    EXPECT_EQ(field_.inputMethodQuery(Qt::ImTextBeforeCursor).toString(), "y=" + kPair);
}

TEST_F(TextField, ClicksPlaceTheCaretDragsSelectAndAFingerOnlyMovesTheCaret) {
    start("y=123456", 8);
    // Just right of the boundary after "y=1": the right edge of character 2, plus one.
    const auto boundaryAfter = [&](int index) {
        return QPoint(qRound(field_.offsetForCharAtPos(index) - 1.0), 22);
    };
    QTest::mouseClick(&field_, Qt::LeftButton, {}, boundaryAfter(2));
    EXPECT_EQ(field_.caretPosition(), 3);
    QTest::mousePress(&field_, Qt::LeftButton, {}, boundaryAfter(2));
    QMouseEvent move(QEvent::MouseMove, boundaryAfter(5), field_.mapToGlobal(boundaryAfter(5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field_, &move);
    QTest::mouseRelease(&field_, Qt::LeftButton, {}, boundaryAfter(5));
    EXPECT_EQ(field_.selectionStart(), 3);
    EXPECT_EQ(field_.selectionEnd(), 6);

    static QPointingDevice* touchscreen = QTest::createTouchDevice();
    field_.setCaretPosition(0);
    QTest::touchEvent(&field_, touchscreen).press(0, boundaryAfter(1));
    QTest::touchEvent(&field_, touchscreen).move(0, boundaryAfter(4));
    QTest::touchEvent(&field_, touchscreen).release(0, boundaryAfter(4));
    EXPECT_EQ(field_.caretPosition(), 5);
    EXPECT_FALSE(field_.hasSelection());
}

}  // namespace
}  // namespace plotwise
