#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "app/screens/library/RVPWLibraryViewController.h"
#include "engine/EquationType.h"

class QAbstractButton;
class QLabel;

namespace plotwise {

class ApplicationContext;
class FormulaPreviewView;
class RVOperationTree;
class RVPWErrorIndicatorView;
class RVPWExpressionInputController;
class RVPWKeyboardView;
class RVTextField;
struct LiveParse;

// The owner of an expression screen (phone keyboard or tablet editor; both speak this one
// protocol). It dismisses the screen in either call.
class RVPWKeyboardViewControllerDelegate {
public:
    virtual ~RVPWKeyboardViewControllerDelegate() = default;
    virtual void keyboardDidCancel(RVPWExpressionInputController* keyboard) = 0;
    // `tree` was parsed against the screen's variable table.
    virtual void keyboard(RVPWExpressionInputController* keyboard,
                          std::unique_ptr<RVOperationTree> tree) = 0;
};

// What the phone keyboard screen and the tablet editor share: the field, the key area, the
// live parse with its result line, error marker and formula, and done and cancel. A burst of
// edits is parsed once per turn of the event loop; done parses pending text first and accepts
// at most once.
class RVPWExpressionInputController : public QWidget, public RVPWLibraryViewControllerDelegate {
    Q_OBJECT

public:
    RVPWExpressionInputController(ApplicationContext& context, double* vars, bool is3D,
                                  QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~RVPWExpressionInputController() override;

    double* vars() const { return vars_; }
    bool is3D() const { return is3D_; }
    // The text to edit, caret at its end; without one the field holds "y=" or "z=".
    void setInitialExpression(const QString& expression);
    void setDelegate(RVPWKeyboardViewControllerDelegate* delegate) { delegate_ = delegate; }
    virtual void setTitle(const QString& title) { setWindowTitle(title); }

    RVTextField* textField() const { return textField_; }
    QLabel* errorLabel() const { return errorLabel_; }
    RVPWErrorIndicatorView* errorView() const { return errorView_; }
    FormulaPreviewView* formulaView() const { return formulaView_; }
    FormulaPreviewView* derivativeView() const { return derivativeView_; }
    QAbstractButton* viewMore() const { return viewMore_; }
    RVPWKeyboardView* keyboardView() const { return keyboardView_; }
    virtual QAbstractButton* doneButton() const = 0;

    // The last successful parse, or null.
    const RVOperationTree* parsedEquation() const { return parsedEquation_.get(); }
    EquationType equationType() const { return equationType_; }
    bool isParsePending() const { return parsePending_; }
    bool isDerivativePanelOpen() const { return derivativePanelOpen_; }
    // The UTF-16 position the marker points at while the parse fails.
    int errorPosition() const { return errorPosition_; }

    // Parses the field's text now.
    void parseSource();
    void done();
    void cancel();
    void viewMoreAction();
    // The plane's library, opened by the field's bookmarks button; a chosen entry's text replaces
    // the field's.
    RVPWLibraryViewController* openLibrary();
    RVPWLibraryViewController* libraryScreen() const { return library_; }
    void libraryController(RVPWLibraryViewController* controller,
                           const RVEquation& equation) override;
    void libraryControllerDidCancel(RVPWLibraryViewController* controller) override;

    // Shows the screen for a press at `anchor` (in `origin`'s coordinates): pushed on the
    // navigation stack, or popped up there. dismiss takes it away and deletes it later.
    virtual void present(QWidget* origin, const QRect& anchor) = 0;
    virtual void dismiss() = 0;

signals:
    // A parse has been shown: result line, marker, formula and done.
    void parseFinished();

protected:
    virtual void derivativePanelChanged() {}
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void scheduleParse();
    void showParse(LiveParse& parse);
    void placeErrorMarker();
    void updateDerivativePanel();

    ApplicationContext& context_;
    double* vars_;
    const bool is3D_;
    RVPWKeyboardViewControllerDelegate* delegate_ = nullptr;
    RVTextField* textField_;
    RVPWErrorIndicatorView* errorView_;
    QLabel* errorLabel_;
    FormulaPreviewView* formulaView_;
    FormulaPreviewView* derivativeView_;
    QAbstractButton* viewMore_;
    RVPWKeyboardView* keyboardView_;
    QPointer<RVPWLibraryViewController> library_;
    std::unique_ptr<RVOperationTree> parsedEquation_;
    EquationType equationType_ = EquationType::Implicit;
    int errorPosition_ = -1;
    bool containsDerivative_ = false;
    bool derivativePanelOpen_ = false;
    bool parsePending_ = false;
    bool finished_ = false;
    bool appeared_ = false;
};

}  // namespace plotwise
