#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QAudioDevice>
#include <QClipboard>
#include <QFontMetricsF>
#include <QLabel>
#include <QMediaDevices>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <memory>

#include "KeyScript.h"
#include "TestContext.h"
#include "app/context/ApplicationContext.h"
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
#include "app/screens/library/RVPWLibraryModel.h"
#include "app/screens/library/RVPWLibraryViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/NotificationCenter.h"
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

const QString kPair = QString::fromUcs4(U"\U0001D465");

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

TEST_P(ExpressionInput, TheMarkerSitsAtTheRightEdgeOfTheErrorCharacterAndFollowsTheField) {
    open();
    const auto markerX = [&] {
        return input_->errorView()->errorPoint() +
               input_->errorView()->mapTo(input_.get(), QPoint()).x() -
               field()->mapTo(input_.get(), QPoint()).x();
    };
    const QFontMetricsF metrics(field()->font());
    for (const QString& text : {QString("y=2+*3"), "y=" + kPair + "+*1", "y=(x" + kPair + "))"}) {
        SCOPED_TRACE(text.toStdString());
        enter(text);
        ASSERT_GE(input_->errorPosition(), 0);
        const int position = input_->errorPosition();
        const int length = text.at(position).isHighSurrogate() ? 2 : 1;
        EXPECT_NEAR(markerX(),
                    metrics.horizontalAdvance(text.left(position + length)) + 11.0 +
                        field()->scrollPosition(),
                    1.0);
    }

    // A long text scrolled to its end: the early error's character is out of view, so the
    // marker is pinned to the field's left edge; back at the start it points at it again.
    QString text = "y=+*";
    for (int i = 0; i < 80; ++i) {
        text += "12+";
    }
    enter(text);
    ASSERT_LT(field()->scrollPosition(), 0);
    EXPECT_NEAR(markerX(), field()->visibleLeft(), 0.5);
    typeScript(field(), "{Home}");
    EXPECT_EQ(field()->scrollPosition(), 0);
    EXPECT_NEAR(markerX(), metrics.horizontalAdvance(text.left(input_->errorPosition() + 1)) + 11.0,
                1.0);
    // An error past the right edge pins the marker there.
    enter("y=" + QString(300, u'1') + ")");
    typeScript(field(), "{Home}");
    EXPECT_NEAR(markerX(), field()->visibleRight(), 0.5);
}

TEST_P(ExpressionInput, OnScreenKeysEditAtTheCaretAndClickWhileArrowsRepeat) {
    open();
    RVPWKeyboardView* keys = input_->keyboardView();
    const auto press = [&](const QString& title) {
        RVPWKeyboardButton* key = keys->keyWithTitle(title);
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
    // Physical keys do not click.
    typeScript(field(), "1{Left}");
    EXPECT_EQ(player_.clicks, 5);

    // Held: one step at once, one after 0.5 s, then one every 0.15 s until released.
    field()->setText(QString(40, u'1'));
    RVPWKeyboardButton* left = keys->keyWithTitle(KeyboardLayout::leftArrow);
    QTest::mousePress(left, Qt::LeftButton);
    EXPECT_EQ(field()->caretPosition(), 39);
    EXPECT_EQ(keys->arrowKeyState(), 1);
    QTest::qWait(950);
    QTest::mouseRelease(left, Qt::LeftButton);
    const int moved = 40 - field()->caretPosition();
    EXPECT_GE(moved, 4);
    EXPECT_LE(moved, 5);
    EXPECT_EQ(keys->arrowKeyState(), 0);
    QTest::qWait(400);
    EXPECT_EQ(40 - field()->caretPosition(), moved);
}

TEST_P(ExpressionInput, NoClicksWhenTheSettingIsOffAndNoPlayerWithoutAudioOutputs) {
    env_.store.setValue(RVPWSettingsManager::enableKeyboardClicksKey, false);
    open();
    QTest::mouseClick(input_->keyboardView()->keyWithTitle("7"), Qt::LeftButton);
    EXPECT_EQ(field()->text(), "y=7");
    EXPECT_EQ(player_.clicks, 0);
    KeyClickPlayer::setShared(nullptr);
    if (QMediaDevices::audioOutputs().isEmpty()) {
        EXPECT_EQ(KeyClickPlayer::shared(), nullptr);
    }
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

// Under a German locale numbers are still read and shown with a point, and the keypad's
// decimal key types one.
TEST_P(ExpressionInput, AGermanLocaleKeepsThePoint) {
    open();
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "de_DE.UTF-8 is not available; ctest generates it (LOCPATH)";
    for (const char* text : {"2.5+1", "y=1.5x", "max(1.5,2)", "1,5"}) {
        enter(text);
        EXPECT_EQ(resultLine(), expectedResultLine(text)) << text;
    }
    enter("2.5+1");
    EXPECT_EQ(resultLine(), "3.5000000000");
    field()->setText("1");
    typeScript(field(), "{KP,}5");
    EXPECT_EQ(field()->text(), "1.5");
    QLocale::setDefault(previous);
    std::setlocale(LC_ALL, "C");
}

TEST_P(ExpressionInput, ADerivativeShowsAsTypedAndViewMoreOpensItsPanel) {
    open();
    enter("y=d/dx(x^3)");
    EXPECT_TRUE(input_->viewMore()->isVisibleTo(input_.get()));
    ASSERT_NE(input_->formulaView()->formula(), nullptr);
    const FormulaNode& typed = input_->formulaView()->formula()->root();
    ASSERT_FALSE(typed.children().empty());
    EXPECT_EQ(typed.children().back().node->kind(), FormulaNode::Kind::Function);
    const int closedHeight = input_->height();
    input_->viewMoreAction();
    EXPECT_TRUE(input_->isDerivativePanelOpen());
    ASSERT_NE(input_->derivativeView()->formula(), nullptr);
    EXPECT_NE(input_->derivativeView()->formula()->root().children().back().node->kind(),
              FormulaNode::Kind::Function);
    if (GetParam() == DeviceClass::Tablet) {
        EXPECT_EQ(input_->height() - closedHeight,
                  RVPWPadExpressionEditorViewController::derivativePanelHeight);
    }
    enter("y=x");
    EXPECT_FALSE(input_->viewMore()->isVisibleTo(input_.get()));
    EXPECT_FALSE(input_->isDerivativePanelOpen());
}

INSTANTIATE_TEST_SUITE_P(Devices, ExpressionInput,
                         ::testing::Values(DeviceClass::Phone, DeviceClass::Tablet),
                         [](const auto& info) {
                             return info.param == DeviceClass::Phone ? "Phone" : "Tablet";
                         });

TEST(KeyboardLayouts, EachReachesItsPlanesAlphabetAndFunctions) {
    QStringList functions2D;
    QStringList functions3D;
    for (const std::u16string& name : functionNames()) {
        functions3D.append(QString::fromStdU16String(name) + "(");
        if (name != u"d/dz") {
            functions2D.append(QString::fromStdU16String(name) + "(");
        }
    }
    const QStringList common = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                ".", ",", "+", "-", "⋅", "/", "^", "√", "(", ")",
                                "e", "π", "=", "<", ">", "≤", "≥", "≠"};
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        for (const bool landscape : {false, true}) {
            for (const bool is3D : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "tablet " << (device == DeviceClass::Tablet)
                                                  << " landscape " << landscape << " 3D " << is3D);
                RVPWKeyboardView view(device, is3D);
                view.setLandscape(landscape);
                QSet<QString> inserted;
                QStringList functionKeys;
                bool backspace = false;
                QSet<QString> arrows;
                for (RVPWKeyboardButton* key : view.keys()) {
                    if (key->key().hidden) {
                        continue;
                    }
                    const QString text = KeyboardLayout::insertionFor(key->key(), device);
                    inserted.insert(text);
                    if (KeyboardLayout::isFunctionKey(key->tag(), device)) {
                        functionKeys.append(text);
                    }
                    backspace |= key->tag() == KeyboardLayout::backspaceTag;
                    if (KeyboardLayout::isArrow(key->key().title)) {
                        arrows.insert(key->key().title);
                    }
                }
                QStringList variables = is3D ? QStringList{"x", "y", "z", "r", "Θ", "Φ"}
                                             : QStringList{"x", "y", "r", "Θ"};
                for (const QString& text : common + variables) {
                    EXPECT_TRUE(inserted.contains(text)) << text.toStdString();
                }
                for (const QString& absent : is3D ? QStringList{} : QStringList{"z", "Φ"}) {
                    EXPECT_FALSE(inserted.contains(absent)) << absent.toStdString();
                }
                functionKeys.sort();
                QStringList expected = is3D ? functions3D : functions2D;
                expected.sort();
                EXPECT_EQ(functionKeys, expected);
                EXPECT_EQ(functionKeys.size(), is3D ? 31 : 30);
                EXPECT_TRUE(backspace);
                EXPECT_EQ(arrows.size(), 2);
                // The phone's function strip is 5 + 80 per key wide.
                if (device == DeviceClass::Phone) {
                    ASSERT_NE(view.functionScroller(), nullptr);
                    EXPECT_EQ(view.functionScroller()->widget()->width(), is3D ? 2485 : 2405);
                    EXPECT_EQ(view.variableScroller() != nullptr, !landscape);
                }
            }
        }
    }
}

TEST(KeyboardScreen, ARotationRelaysTheKeysOutAndKeepsTheText) {
    testing::TestContext env;
    VariableTable table{};
    RVPWKeyboardViewController screen(env.context, table.data(), false);
    screen.resize(420, 820);
    screen.show();
    screen.textField()->setText("y=2x");
    EXPECT_FALSE(screen.keyboardView()->isLandscape());
    screen.resize(820, 420);
    EXPECT_TRUE(screen.keyboardView()->isLandscape());
    EXPECT_EQ(screen.keyboardView()->variableScroller(), nullptr);
    EXPECT_NE(screen.keyboardView()->keyWithTitle("Θ"), nullptr);
    EXPECT_EQ(screen.textField()->text(), "y=2x");
}

// The add action of the 2D screen, through the real window.
class AddFromThePlane : public ::testing::TestWithParam<DeviceClass> {
protected:
    void SetUp() override {
        env_.store.setValue(RVPWSettingsManager::useRandomDefaultColorKey, false);
        env_.store.setValue(RVPWSettingsManager::defaultColorKey, QStringLiteral("2040A0"));
        delegate_ = std::make_unique<AppDelegate>(env_.context);
        delegate_->didFinishLaunching({});
        delegate_->window()->resize(GetParam() == DeviceClass::Phone ? 420 : 1000, 800);
        delegate_->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(delegate_->window()));
    }

    RVPW2DViewController* screen() const { return delegate_->controller2D(); }

    RVPWExpressionInputController* openedInput() const {
        if (GetParam() == DeviceClass::Phone) {
            return qobject_cast<RVPWExpressionInputController*>(
                delegate_->navigationStack()->topScreen());
        }
        return screen()->findChild<RVPWPadExpressionEditorViewController*>();
    }

    QStringList stored() const {
        QStringList texts;
        for (const QVariant& state :
             PreferenceStore(env_.store.filePath())
                 .arrayValue(WorkspaceStorage::currentExpressions2DKey.toString())) {
            texts.append(state.toMap().value("expressionString").toString());
        }
        return texts;
    }

    testing::TestContext env_{GetParam()};
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_P(AddFromThePlane, CtrlNOpensNewEquationAndEnterPutsItOnThePlaneAndInTheWorkspace) {
    QAction* add = screen()->addEquationAction();
    EXPECT_FALSE(add->isEnabled());
    QSignalSpy finished(screen(), &RVPW2DViewController::loadingFinished);
    ASSERT_TRUE(screen()->loadingDone() || finished.wait(10000));
    EXPECT_TRUE(add->isEnabled());
    EXPECT_EQ(add->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));

    QTest::keyClick(delegate_->window(), Qt::Key_N, Qt::ControlModifier);
    RVPWExpressionInputController* input = openedInput();
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->windowTitle(), "New equation");
    EXPECT_TRUE(input->isVisible());
    typeScript(input->textField(), "x^2{Ret}");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(screen()->equations().count(), 1);
    RVEquation2D* equation = screen()->equations().equationAt(0);
    EXPECT_EQ(QString::fromStdU16String(equation->expression()->expressionString()), "y=x^2");
    EXPECT_EQ(equation->color(), QColor(0x20, 0x40, 0xA0));
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate_->navigationStack()->topScreen(), screen());
    delegate_->saveAllScreens();
    EXPECT_EQ(stored(), QStringList{"y=x^2"});

    // Cancel adds nothing.
    add->trigger();
    input = openedInput();
    ASSERT_NE(input, nullptr);
    typeScript(input->textField(), "x{Esc}");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openedInput() == nullptr || !openedInput()->isVisible(), true);
    EXPECT_EQ(screen()->equations().count(), 1);
    EXPECT_EQ(delegate_->navigationStack()->topScreen(), screen());
}

TEST_P(AddFromThePlane, TheFieldsLibraryButtonFillsTheFieldWithTheChosenEntry) {
    QSignalSpy finished(screen(), &RVPW2DViewController::loadingFinished);
    ASSERT_TRUE(screen()->loadingDone() || finished.wait(10000));
    screen()->addEquationAction()->trigger();
    RVPWExpressionInputController* input = openedInput();
    ASSERT_NE(input, nullptr);
    RVTextField* field = input->textField();
    // The clear and library buttons take turns.
    EXPECT_FALSE(field->bookmarksButton()->isVisible());
    typeScript(field, "{BS}{BS}");
    ASSERT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(field->bookmarksButton()->isVisible());
    EXPECT_FALSE(field->clearButton()->isVisible());

    QTest::mouseClick(field->bookmarksButton(), Qt::LeftButton);
    RVPWLibraryViewController* library = input->libraryScreen();
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->plistFilename(), QStringLiteral("expressions2D.plist"));
    EXPECT_TRUE(library->isVisible());
    QSignalSpy loaded(library, &RVPWLibraryViewController::loadingFinished);
    ASSERT_TRUE(library->isLoaded() || loaded.wait(10000));
    ASSERT_GT(library->libraryExpressions().count(), 3);
    const QString chosen = QString::fromStdU16String(
        library->libraryExpressions().equationAt(3)->expression()->expressionString());
    library->chooseRow(3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(input->libraryScreen(), nullptr);
    ASSERT_EQ(openedInput(), input);
    EXPECT_TRUE(input->isVisible());
    EXPECT_EQ(field->text(), chosen);

    typeScript(field, "{Ret}");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(screen()->equations().count(), 1);
    EXPECT_EQ(QString::fromStdU16String(
                  screen()->equations().equationAt(0)->expression()->expressionString()),
              chosen);
}

INSTANTIATE_TEST_SUITE_P(Devices, AddFromThePlane,
                         ::testing::Values(DeviceClass::Phone, DeviceClass::Tablet),
                         [](const auto& info) {
                             return info.param == DeviceClass::Phone ? "Phone" : "Tablet";
                         });

}  // namespace
}  // namespace plotwise
