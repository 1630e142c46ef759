#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "common/DeviceClass.h"
#include "engine/VariableTable.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/view/RVEquation2DViewDelegate.h"

class QAction;
class QToolBar;

namespace plotwise {

class PreferenceStore;
class RVEquation2DView;
class RVLoadingView;

// The 2D graph screen: owns the plane view, the variable table its equations are parsed against
// and the equations themselves, and saves and restores the plane in the workspace. The first
// time it is shown it restores the plane on a background thread behind a "Loading..." panel;
// until that is done its actions do nothing and nothing is saved, so an early quit cannot
// overwrite the stored plane with a half-restored one.
class RVPW2DViewController : public QWidget, public RVEquation2DViewDelegate {
    Q_OBJECT

public:
    RVPW2DViewController(PreferenceStore& store, DeviceClass device, QWidget* parent = nullptr);
    ~RVPW2DViewController() override;

    RVEquation2DView* equationView() const { return view_; }
    double* variableTable() { return table_->data(); }
    const std::vector<std::unique_ptr<RVEquation2D>>& equations() const { return equations_; }
    // The equations whose visible flag is set, in order.
    QList<RVEquation2D*> visibleExpressions() const { return visibleExpressions_; }
    bool loadingDone() const { return loadingDone_; }
    bool isLoading() const { return loader_ != nullptr; }
    QToolBar* toolbar() const { return toolbar_; }
    QAction* resetViewAction() const { return resetViewAction_; }

    // Expressions to add once the plane is restored (from the command line), each in its
    // default colour. A text that does not parse is reported through expressionRejected.
    void setPendingExpressions(const QStringList& expressions) { pending_ = expressions; }
    // Parses like the keyboard, gives the equation its default colour and adds it to the plane.
    // Returns the message and UTF-16 position when the text does not parse.
    struct Rejection {
        QString message;
        int position = 0;
    };
    std::optional<Rejection> addExpression(const QString& text);
    void addEquation(std::unique_ptr<RVEquation2D> equation);

    // Starts the restore, once: the stored view state at once, the equations on a background
    // thread; stateLoadingDone follows on this thread.
    void loadState();
    // Writes the plane's equations and view state to the workspace; nothing until restored.
    void saveState();
    void resetView();

    // RVEquation2DViewDelegate
    QList<RVEquation2DView*> arrayWithVisible2DViews() override;
    void equationViewDidChangeStateDictionary(const QVariantMap& state) override;
    QSizeF sizeWithTopAndBottomOffsets() override;

signals:
    // The restore is over and interaction is back on.
    void loadingFinished();
    void expressionRejected(const QString& expression, const QString& message, int position);
    void viewStateChanged(const QVariantMap& state);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stateLoadingDone();
    void refreshVisibleExpressions();
    void setupNotifications();
    void buildToolbar();
    void placeToolbar();

    PreferenceStore& store_;
    DeviceClass device_;
    // Trees and compiled forms point into the table, so its address never changes.
    std::unique_ptr<VariableTable> table_;
    std::vector<std::unique_ptr<RVEquation2D>> equations_;
    QList<RVEquation2D*> visibleExpressions_;
    RVEquation2DView* view_;
    QToolBar* toolbar_ = nullptr;
    QAction* resetViewAction_ = nullptr;
    QPointer<RVLoadingView> loadingView_;
    QStringList pending_;
    bool loadingDone_ = false;
    bool loadStarted_ = false;
    // The restore: filled on the loader thread, taken on this thread when it has finished.
    QThread* loader_ = nullptr;
    std::vector<std::unique_ptr<RVEquation2D>> restored_;
};

}  // namespace plotwise
