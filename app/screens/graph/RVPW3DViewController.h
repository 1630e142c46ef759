#pragma once

#include "app/screens/graph/RVPWGraphViewController.h"
#include "graph2d/view/RVEquationViewDelegate.h"
#include "graph3d/EquationModel3D.h"
#include "graph3d/view/SceneState3D.h"

class QLabel;

namespace plotwise {

class RVEquation3DView;

// The 3D graph screen: the 3D view over the 3D equation model, with the settings that change
// how the scene looks applied as their notifications arrive. Where the system has no OpenGL it
// says so in place of the view, and still restores and saves its plane.
class RVPW3DViewController : public RVPWGraphViewController, public RVEquationViewDelegate {
    Q_OBJECT

public:
    static inline const char* const noOpenGLText = QT_TRANSLATE_NOOP(
        "RVPW3DViewController", "3D graphs need OpenGL, which this system lacks.");

    explicit RVPW3DViewController(ApplicationContext& context, QWidget* parent = nullptr);
    ~RVPW3DViewController() override;

    // Null without OpenGL.
    RVEquation3DView* equationView() const { return view_; }
    EquationModel3D& equations() { return model_; }
    EquationListModel& equationModel() override { return model_; }
    std::vector<RVEquation3D*> visibleExpressions() const { return model_.visibleEquations(); }
    void resetView() override;
    QImage imageRepresentation() override;

    // RVEquationViewDelegate
    void equationViewDidChangeStateDictionary(const QVariantMap& state) override;

protected:
    QWidget* planeView() const override;
    QVariantMap viewStateDictionary() const override;
    void setViewStateDictionary(const QVariantMap& state) override;
    RestoreFunction restoreFunction() override;
    std::unique_ptr<RVEquation> equationWithTree(std::unique_ptr<RVOperationTree> tree) override;
    std::unique_ptr<RVEquation> equationWithState(const QVariantMap& state) override;
    bool exportPlane(const QString& path, const QString& format, QString* error) override;
    void restoreFinished() override;
    void reappeared() override;

    void resizeEvent(QResizeEvent* event) override;

private:
    void applySettings();
    void showMessage(const QString& text);
    const SceneState3D& sceneState() const;

    // Declared before the view, which observes it, so it is destroyed after the view.
    EquationModel3D model_;
    RVEquation3DView* view_ = nullptr;
    QLabel* noOpenGL_ = nullptr;
    // The scene state kept for saving when there is no view to hold it.
    SceneState3D storedState_;
};

}  // namespace plotwise
