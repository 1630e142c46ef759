#include "app/input/RVPWExpressionInputController.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include "app/context/ApplicationContext.h"
#include "app/input/FormulaPreviewView.h"
#include "app/input/KeyClickPlayer.h"
#include "app/input/LiveParse.h"
#include "app/input/RVPWKeyboardView.h"
#include "app/input/RVTextField.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/LibraryStorage.h"
#include "engine/RVOperationTree.h"
#include "typeset/FormulaLayout.h"
#include "typeset/RVPWErrorIndicatorView.h"

namespace plotwise {

namespace {

// The strips come into place this long after the screen has appeared.
constexpr int kStripScrollDelayMilliseconds = 150;

}  // namespace

RVPWExpressionInputController::RVPWExpressionInputController(ApplicationContext& context,
                                                             double* vars, bool is3D,
                                                             QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags),
      context_(context),
      vars_(vars),
      is3D_(is3D),
      textField_(new RVTextField(this)),
      errorView_(new RVPWErrorIndicatorView(this)),
      errorLabel_(new QLabel(errorView_)),
      formulaView_(new FormulaPreviewView(this)),
      derivativeView_(new FormulaPreviewView(this)),
      viewMore_(new QToolButton(this)),
      keyboardView_(new RVPWKeyboardView(context.deviceClass(), is3D, this)) {
    setAttribute(Qt::WA_StyledBackground);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(textField_);
    errorLabel_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    errorLabel_->setTextInteractionFlags(Qt::NoTextInteraction);
    errorView_->setFixedHeight(RVPWErrorIndicatorView::stripHeight + 10);
    derivativeView_->hide();
    auto* more = static_cast<QToolButton*>(viewMore_);
    more->setText(tr("View more"));
    more->setToolTip(tr("The derivative"));
    more->setFocusPolicy(Qt::NoFocus);
    more->hide();
    connect(more, &QToolButton::clicked, this, &RVPWExpressionInputController::viewMoreAction);

    keyboardView_->setTarget(textField_);
    textField_->setBookmarksButtonEnabled(true);
    connect(textField_, &RVTextField::textFieldBookmarksAction, this,
            &RVPWExpressionInputController::openLibrary);
    // Read once, when the screen is made.
    if (context.settings().useKeyboardClicks()) {
        keyboardView_->setClickPlayer(KeyClickPlayer::shared());
    }
    connect(textField_, &RVTextField::textFieldDidChange, this,
            &RVPWExpressionInputController::scheduleParse);
    connect(textField_, &RVTextField::textFieldDidReceiveReturn, this,
            &RVPWExpressionInputController::done);
    connect(textField_, &RVTextField::scrollPositionChanged, this,
            &RVPWExpressionInputController::placeErrorMarker);
    // The marker is placed again whenever the field or the marker moves or changes size.
    textField_->installEventFilter(this);
    errorView_->installEventFilter(this);
    context.notificationCenter().addObserver(shakeBeganNotification, this, [this](QObject*) {
        if (context_.settings().shakeEnabled() && isVisible()) {
            textField_->clear();
        }
    });
    setInitialExpression(QString());
}

RVPWExpressionInputController::~RVPWExpressionInputController() = default;

void RVPWExpressionInputController::setInitialExpression(const QString& expression) {
    textField_->setText(expression.isEmpty() ? (is3D_ ? QStringLiteral("z=") : QStringLiteral("y="))
                                             : expression);
}

void RVPWExpressionInputController::scheduleParse() {
    if (parsePending_) {
        return;
    }
    parsePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (parsePending_) {
                parseSource();
            }
        },
        Qt::QueuedConnection);
}

void RVPWExpressionInputController::parseSource() {
    parsePending_ = false;
    LiveParse parse = LiveParse::parseSource(textField_->text(), vars_);
    showParse(parse);
}

void RVPWExpressionInputController::showParse(LiveParse& parse) {
    const bool succeeded = parse.succeeded();
    doneButton()->setEnabled(succeeded);
    errorLabel_->setText(parse.resultText);
    errorLabel_->adjustSize();
    parsedEquation_ = std::move(parse.tree);
    containsDerivative_ = succeeded && parse.containsDerivative;
    viewMore_->setVisible(containsDerivative_);
    if (succeeded) {
        equationType_ = parse.equationType;
    }
    errorPosition_ = parse.state == LiveParse::State::Failed ? parse.errorPosition : -1;
    errorView_->setDisplayError(errorPosition_ >= 0);
    formulaView_->setFormula(succeeded ? parse.formula : nullptr);
    placeErrorMarker();
    updateDerivativePanel();
    emit parseFinished();
}

void RVPWExpressionInputController::placeErrorMarker() {
    const int labelLeft = 10 + RVPWErrorIndicatorView::imageSide + 8;
    errorLabel_->move(labelLeft,
                      errorView_->height() - RVPWErrorIndicatorView::stripHeight +
                          (RVPWErrorIndicatorView::stripHeight - errorLabel_->height()) / 2);
    if (errorPosition_ < 0) {
        return;
    }
    // The character's right edge while it can be seen; the field's edge nearest to it while the
    // field has scrolled it away.
    const qreal offset =
        qBound(textField_->visibleLeft(), textField_->offsetForCharAtPos(errorPosition_),
               textField_->visibleRight());
    const qreal fieldX = textField_->mapTo(this, QPoint()).x();
    const qreal viewX = errorView_->mapTo(this, QPoint()).x();
    errorView_->setErrorPoint(fieldX + offset - viewX);
}

void RVPWExpressionInputController::viewMoreAction() {
    if (!containsDerivative_) {
        return;
    }
    derivativePanelOpen_ = true;
    updateDerivativePanel();
}

void RVPWExpressionInputController::updateDerivativePanel() {
    const bool open = derivativePanelOpen_ && containsDerivative_ && parsedEquation_ != nullptr;
    if (open) {
        derivativeView_->setFormula(
            std::make_shared<FormulaLayout>(parsedEquation_.get(), LiveParse::formulaFontSize));
    } else {
        derivativePanelOpen_ = false;
    }
    if (derivativeView_->isVisibleTo(this) != open) {
        derivativeView_->setVisible(open);
        derivativePanelChanged();
    }
}

void RVPWExpressionInputController::done() {
    if (parsePending_) {
        parseSource();
    }
    if (finished_ || parsedEquation_ == nullptr) {
        return;
    }
    finished_ = true;
    if (delegate_ != nullptr) {
        delegate_->keyboard(this, std::move(parsedEquation_));
    }
}

RVPWLibraryViewController* RVPWExpressionInputController::openLibrary() {
    if (library_) {
        return library_;
    }
    const QString fileName = is3D_ ? QString(LibraryStorage::library3DFileName)
                                   : QString(LibraryStorage::library2DFileName);
    auto* library = new RVPWLibraryViewController(context_, vars_, fileName);
    library->setDelegate(this);
    library_ = library;
    if (window()->windowType() == Qt::Popup) {
        // Over the tablet's editor as a nested popup, so that a press in it keeps the editor open.
        library->setParent(this, Qt::Popup);
        library->resize(480, 440);
        library->move(
            textField_->mapToGlobal(QPoint(textField_->width() - 480, textField_->height())));
        library->show();
    } else {
        NavigationStack::present(library, this);
    }
    library->setFocus();
    return library;
}

void RVPWExpressionInputController::libraryController(RVPWLibraryViewController* controller,
                                                      const RVEquation& equation) {
    const QString text = equation.expression() != nullptr
                             ? QString::fromStdU16String(equation.expression()->expressionString())
                             : QString();
    libraryControllerDidCancel(controller);
    if (!text.isEmpty()) {
        textField_->setText(text);
    }
    textField_->setFocus();
}

void RVPWExpressionInputController::libraryControllerDidCancel(
    RVPWLibraryViewController* controller) {
    controller->setDelegate(nullptr);
    NavigationStack::dismiss(controller);
    controller->deleteLater();
    library_ = nullptr;
}

void RVPWExpressionInputController::cancel() {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (delegate_ != nullptr) {
        delegate_->keyboardDidCancel(this);
    }
}

void RVPWExpressionInputController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool RVPWExpressionInputController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        placeErrorMarker();
    }
    return QWidget::eventFilter(watched, event);
}

void RVPWExpressionInputController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeErrorMarker();
}

void RVPWExpressionInputController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_) {
        return;
    }
    appeared_ = true;
    textField_->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(kStripScrollDelayMilliseconds, keyboardView_,
                       &RVPWKeyboardView::scrollStripsToStart);
}

}  // namespace plotwise
