#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "AppFixture.h"
#include "KeyScript.h"
#include "TestContext.h"
#include "app/input/FormulaPreviewView.h"
#include "app/input/KeyClickPlayer.h"
#include "app/input/KeyboardLayout.h"
#include "app/input/ParserMessageText.h"
#include "app/input/RVPWKeyboardButton.h"
#include "app/input/RVPWKeyboardView.h"
#include "app/input/RVPWKeyboardViewController.h"
#include "app/input/RVPWPadExpressionEditorViewController.h"
#include "app/input/RVTextField.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/WorkspaceStorage.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/FunctionLibrary.h"
#include "typeset/FormulaLayout.h"
#include "typeset/RVPWErrorIndicatorView.h"

namespace plotwise {
namespace {

using testing::typeScript;

// What the live parse must show for a text: the engine's preview or its translated message.
QString expectedResultLine(const QString& text) {
    VariableTable table{};
    ParsedExpression parsed = parseExpression(text.toStdU16String(), table.data());
    if (!parsed.tree) {
        return translatedParserMessage(*parsed.error);
    }
    return QString::fromStdU16String(previewText(*parsed.tree, parsed.tree->value()));
}

class CountingClickPlayer : public KeyClickPlayer {
public:
    void play() override { ++clicks; }
    int clicks = 0;
};

struct RecordingDelegate : RVPWKeyboardViewControllerDelegate {
    void keyboardDidCancel(RVPWExpressionInputController*) override { ++cancels; }
    void keyboard(RVPWExpressionInputController*, std::unique_ptr<RVOperationTree> tree) override {
        accepted.append(QString::fromStdU16String(tree->expressionString()));
    }
    int cancels = 0;
    QStringList accepted;
};

class ExpressionInput : public ::testing::TestWithParam<DeviceClass> {
protected:
    void SetUp() override { KeyClickPlayer::setShared(&player_); }
    void TearDown() override { KeyClickPlayer::setShared(nullptr); }

    // The device's screen, shown and focused, with a recording delegate.
    RVPWExpressionInputController* open(bool is3D = false) {
        if (GetParam() == DeviceClass::Tablet) {
            input_.reset(
                new RVPWPadExpressionEditorViewController(env_.context, table_.data(), is3D));
        } else {
            input_.reset(new RVPWKeyboardViewController(env_.context, table_.data(), is3D));
            input_->resize(420, 820);
        }
        input_->setDelegate(&delegate_);
        input_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(input_.get()));
        QCoreApplication::processEvents();
        return input_.get();
    }

    void enter(const QString& text) {
        input_->textField()->setText(text);
        input_->parseSource();
    }
    QString resultLine() const { return input_->errorLabel()->text(); }
    RVTextField* field() const { return input_->textField(); }

    testing::TestContext env_{GetParam()};
    VariableTable table_{};
    CountingClickPlayer player_;
    RecordingDelegate delegate_;
    std::unique_ptr<RVPWExpressionInputController> input_;
};

TEST_P(ExpressionInput, OpensWithYEqualsAndPreviewsEachTextAsTheEngineDoes) {
    open();
    EXPECT_EQ(field()->text(), "y=");
    EXPECT_EQ(field()->caretPosition(), 2);
    // The opening text was parsed in the first turn of the event loop.
    EXPECT_FALSE(input_->isParsePending());
    EXPECT_EQ(resultLine(), expectedResultLine("y="));
    EXPECT_FALSE(input_->doneButton()->isEnabled());

    struct Row {
        QString text;
        QString preview;
        bool done;
    };
    for (const Row& row :
         {Row{"2+3", "5.0000000000", true}, Row{"x<1", "True", true}, Row{"x>1", "False", true},
          Row{"y=x^2", expectedResultLine("y=x^2"), true},
          Row{"sin x", expectedResultLine("sin x"), false},
          Row{"y=d/dx(x^3)", expectedResultLine("y=d/dx(x^3)"), true}, Row{"", "", false}}) {
        SCOPED_TRACE(row.text.toStdString());
        enter(row.text);
        EXPECT_EQ(resultLine(), row.preview);
        EXPECT_EQ(input_->doneButton()->isEnabled(), row.done);
        EXPECT_EQ(input_->parsedEquation() != nullptr, row.done);
        EXPECT_EQ(input_->errorView()->displayError(), !row.done && !row.text.isEmpty());
        EXPECT_EQ(input_->formulaView()->formula() != nullptr, row.done);
    }
    // The 3D screen starts from "z=".
    EXPECT_EQ(open(true)->textField()->text(), "z=");
}

TEST_P(ExpressionInput, ABurstOfEditsIsParsedOnceAndDoneParsesPendingTextAndAcceptsOnce) {
    open();
    QCoreApplication::processEvents();
    QSignalSpy parsed(input_.get(), &RVPWExpressionInputController::parseFinished);
    for (const char* piece : {"x", "+", "1", "0"}) {
        field()->appendString(piece);
    }
    EXPECT_TRUE(input_->isParsePending());
    QCoreApplication::processEvents();
    EXPECT_EQ(parsed.size(), 1);
    EXPECT_EQ(resultLine(), "10.0000000000");

    // Enter right after an edit: the pending text is parsed first, and only one accept follows.
    field()->setText("y=2x");
    typeScript(field(), "{Ret}{Ret}");
    input_->done();
    EXPECT_EQ(delegate_.accepted, QStringList{"y=2x"});
    input_->cancel();
    EXPECT_EQ(delegate_.cancels, 0);

    open();
    typeScript(field(), "{Esc}");
    EXPECT_EQ(delegate_.cancels, 1);
    // A press outside the tablet's popup closes it, which cancels too.
    if (GetParam() == DeviceClass::Tablet) {
        open()->close();
        EXPECT_EQ(delegate_.cancels, 2);
    }
}

TEST_P(ExpressionInput, AShakeEmptiesTheFieldWhenShakesAreOnAndUndoBringsItBack) {
    open();
    field()->setText("y=2x");
    env_.store.setValue(RVPWSettingsManager::enableShakesKey, false);
    env_.center.post(shakeBeganNotification);
    EXPECT_EQ(field()->text(), "y=2x");
    env_.store.setValue(RVPWSettingsManager::enableShakesKey, true);
    env_.center.post(shakeBeganNotification);
    EXPECT_EQ(field()->text(), "");
    typeScript(field(), "{C-z}");
    EXPECT_EQ(field()->text(), "y=2x");
}

TEST_P(ExpressionInput, OnScreenKeysEditAtTheCaretAndClick) {
    open();
    const auto press = [&](const QString& title) {
        RVPWKeyboardButton* key = input_->keyboardView()->keyWithTitle(title);
        ASSERT_NE(key, nullptr) << title.toStdString();
        QTest::mouseClick(key, Qt::LeftButton);
    };
    field()->setText("y=x");
    field()->setCaretPosition(2);
    press("sin");
    press("×");
    press("2");
    press(KeyboardLayout::backspaceTitle);
    press("π");
    EXPECT_EQ(field()->text(), "y=sin(⋅πx");
    EXPECT_EQ(field()->caretPosition(), 8);
    EXPECT_EQ(player_.clicks, 5);
    // Physical keys do not click, nor do on-screen keys of a keyboard opened with the setting off.
    typeScript(field(), "1{Left}");
    env_.store.setValue(RVPWSettingsManager::enableKeyboardClicksKey, false);
    open();
    press("7");
    EXPECT_EQ(player_.clicks, 5);
    EXPECT_EQ(field()->text(), "y=7");
}

TEST_P(ExpressionInput, PastedJunkNeverCrashesAndLeavesTheCaretAfterIt) {
    open();
    QRandomGenerator random(15);
    QString noise;
    for (int i = 0; i < 10000; ++i) {
        noise.append(QChar(static_cast<char16_t>(random.bounded(0x10000))));
    }
    const QStringList junk = {noise,
                              QString(10000, u'('),
                              QString::fromUtf16(u"x\0y\0", 4),
                              QString(QChar(0xD800)) + "x" + QChar(0xDC00) + "1",
                              "y=\r\nx+\r1\n",
                              QString(5000, u'9') + "." + QString(5000, u'9')};
    for (const QString& text : junk) {
        field()->setText("y=");
        QGuiApplication::clipboard()->setText(text);
        field()->paste();
        input_->parseSource();
        const QString pasted = RVTextField::singleLine(QGuiApplication::clipboard()->text());
        EXPECT_EQ(field()->text(), "y=" + pasted);
        EXPECT_EQ(field()->caretPosition(), field()->text().size());
        EXPECT_EQ(resultLine(), expectedResultLine(field()->text()));
        EXPECT_EQ(input_->doneButton()->isEnabled(), input_->parsedEquation() != nullptr);
    }
}

TEST_P(ExpressionInput, ADerivativeShowsAsTypedAndViewMoreOpensItsPanel) {
    open();
    enter("y=d/dx(x^3)");
    EXPECT_TRUE(input_->viewMore()->isVisibleTo(input_.get()));
    ASSERT_NE(input_->formulaView()->formula(), nullptr);
    const FormulaNode& typed = input_->formulaView()->formula()->root();
    ASSERT_FALSE(typed.children().empty());
    EXPECT_EQ(typed.children().back().node->kind(), FormulaNode::Kind::Function);
    input_->viewMoreAction();
    EXPECT_TRUE(input_->isDerivativePanelOpen());
    ASSERT_NE(input_->derivativeView()->formula(), nullptr);
    EXPECT_NE(input_->derivativeView()->formula()->root().children().back().node->kind(),
              FormulaNode::Kind::Function);
    enter("y=x");
    EXPECT_FALSE(input_->viewMore()->isVisibleTo(input_.get()));
    EXPECT_FALSE(input_->isDerivativePanelOpen());
}

INSTANTIATE_TEST_SUITE_P(Devices, ExpressionInput,
                         ::testing::Values(DeviceClass::Phone, DeviceClass::Tablet),
                         [](const auto& info) {
                             return info.param == DeviceClass::Phone ? "Phone" : "Tablet";
                         });

// Every layout offers its plane's alphabet and exactly the engine's functions.
TEST(KeyboardLayouts, EachReachesItsPlanesAlphabetAndFunctions) {
    const QStringList common = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".",
                                ",", "+", "-", "⋅", "/", "^", "√", "(", ")", "e", "π",
                                "=", "<", ">", "≤", "≥", "≠", "x", "y", "r", "Θ"};
    for (int combination = 0; combination < 8; ++combination) {
        const DeviceClass device = combination & 4 ? DeviceClass::Tablet : DeviceClass::Phone;
        const bool landscape = combination & 2;
        const bool is3D = combination & 1;
        SCOPED_TRACE(::testing::Message() << "tablet " << (device == DeviceClass::Tablet)
                                          << " landscape " << landscape << " 3D " << is3D);
        RVPWKeyboardView view(device, is3D);
        view.setLandscape(landscape);
        QSet<QString> inserted;
        QStringList functionKeys;
        int backspaces = 0;
        int arrows = 0;
        for (RVPWKeyboardButton* key : view.keys()) {
            if (!key->key().hidden) {
                const QString text = KeyboardLayout::insertionFor(key->key(), device);
                inserted.insert(text);
                if (KeyboardLayout::isFunctionKey(key->tag(), device)) {
                    functionKeys.append(text);
                }
                backspaces += key->tag() == KeyboardLayout::backspaceTag;
                arrows += KeyboardLayout::isArrow(key->key().title);
            }
        }
        for (const QString& text : common) {
            EXPECT_TRUE(inserted.contains(text)) << text.toStdString();
        }
        EXPECT_EQ(inserted.contains("z"), is3D);
        EXPECT_EQ(inserted.contains("Φ"), is3D);
        QStringList expected;
        for (const std::u16string& name : functionNames()) {
            if (is3D || name != u"d/dz") {
                expected.append(QString::fromStdU16String(name) + "(");
            }
        }
        functionKeys.sort();
        expected.sort();
        EXPECT_EQ(functionKeys, expected);
        EXPECT_GT(backspaces, 0);
        EXPECT_EQ(arrows, 2);
        if (device == DeviceClass::Phone) {
            EXPECT_EQ(view.variableScroller() != nullptr, !landscape);
        }
    }
}

// The add action of the 2D screen, through the real window: Enter puts the equation on the
// plane in the default colour and into the workspace; Escape adds nothing.
class AddFromThePlane : public testing::AppFixture {};

TEST_F(AddFromThePlane, CtrlNThenEnterAddsAndEscapeDoesNot) {
    store_->setValues({{RVPWSettingsManager::useRandomDefaultColorKey, false},
                       {RVPWSettingsManager::defaultColorKey, QStringLiteral("2040A0")}});
    RVPW2DViewController* screen = launchRestored(DeviceClass::Phone);
    delegate_->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate_->window()));
    for (const char* script : {"x^2{Ret}", "x{Esc}"}) {
        QTest::keyClick(delegate_->window(), Qt::Key_N, Qt::ControlModifier);
        auto* input = qobject_cast<RVPWExpressionInputController*>(stack()->topScreen());
        ASSERT_NE(input, nullptr);
        typeScript(input->textField(), script);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(stack()->topScreen(), screen);
    }
    ASSERT_EQ(testing::textsOf(screen->equations()), QStringList{"y=x^2"});
    EXPECT_EQ(screen->equations().equationAt(0)->color(), QColor(0x20, 0x40, 0xA0));
    delegate_->saveAllScreens();
    EXPECT_EQ(stored(WorkspaceStorage::currentExpressions2DKey), QStringList{"y=x^2"});
}

}  // namespace
}  // namespace plotwise
