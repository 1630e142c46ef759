#pragma once

#include <QOpenGLWidget>
#include <QPointer>
#include <QTimer>
#include <QTouchEvent>
#include <functional>
#include <vector>

#include "common/DeviceClass.h"
#include "graph3d/EquationModel3D.h"
#include "graph3d/view/SceneRenderer3D.h"
#include "graph3d/view/SceneState3D.h"
#include "graph3d/view/TouchGesture3D.h"

namespace plotwise {

class RVEquationViewDelegate;

// The 3D graph: draws the equations of its model with SceneRenderer3D and turns fingers, mouse,
// wheel, touchpad and keys into scene increments, applied as the events arrive. Only a zoom
// changes the box the equations are meshed over: fingers re-evaluate when they lift, the wheel
// and touchpad 150 ms after their last step. Evaluation is synchronous; meanwhile the view and
// its screen are disabled and the input that queued up is dropped. After every painted frame
// the delegate receives the view state.
class RVEquation3DView : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit RVEquation3DView(QWidget* parent = nullptr);
    ~RVEquation3DView() override;

    // Whether this system can show the view: an OpenGL context, on a platform that composes
    // OpenGL widgets (asked once per process).
    static bool openGLAvailable();

    void setDelegate(RVEquationViewDelegate* delegate) { delegate_ = delegate; }
    void setDeviceClass(DeviceClass device) { deviceClass_ = device; }
    // The view observes the model: added rows are evaluated, removed ones drop their buffers
    // at the next frame.
    void setModel(EquationModel3D* model);
    std::vector<RVEquation3D*> equations() const;

    void setUseLightBackground(bool light);
    void setDisplayValues(bool display);
    // Read on every use: the settings "Show Rotation Box" and "Faster Implicits".
    void setShowRotationBox(std::function<bool()> source) { showRotationBox_ = std::move(source); }
    void setFasterImplicits(std::function<bool()> source) { fasterImplicits_ = std::move(source); }
    // While loading, added equations are not evaluated here (the loader did it).
    void setLoadingState(bool loading) { loadingState_ = loading; }

    const SceneState3D& sceneState() const { return state_; }
    SceneRenderer3D& renderer() { return renderer_; }
    int visualizationMode() const { return state_.visualizationMode(); }
    void nextMode();
    void resetView();
    void evaluateAllFunctions();
    // One increment of movement, then a frame.
    void drawViewByRotating(const SceneIncrement3D& increment);

    QVariantMap dictionaryWithViewState() const { return state_.dictionaryWithViewState(); }
    // Applies a stored state; the caller redraws.
    void setViewstateWithDictionary(const QVariantMap& state);
    void sendState();
    QImage imageRepresentation() { return grabFramebuffer(); }
    // Evaluations so far, for tests.
    int evaluationCount() const { return evaluations_; }
    bool boxShown() const { return state_.isRotando(); }

signals:
    // initializeGL could not build the shaders.
    void renderingFailed(const QString& message);

protected:
    void initializeGL() override;
    void paintGL() override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void evaluateRows(int first, int last);
    void releaseGL();
    void restartBoxTimer();
    void hideBox();
    void touchEvent(QTouchEvent* event);
    void zoomBy(float factor);

    SceneState3D state_;
    SceneRenderer3D renderer_;
    TouchGesture3D gesture_;
    QPointer<EquationModel3D> model_;
    RVEquationViewDelegate* delegate_ = nullptr;
    DeviceClass deviceClass_ = DeviceClass::Phone;
    // What the renderer draws: assumed from the OpenGL library until a context tells.
    IndexWidth indexWidth_ = IndexWidth::Bits16;
    std::function<bool()> showRotationBox_ = [] { return true; };
    std::function<bool()> fasterImplicits_ = [] { return true; };
    QTimer boxTimer_;
    QTimer zoomTimer_;
    QPointF lastMousePosition_;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    bool panning_ = false;
    bool mouseMoved_ = false;
    bool useLightBackground_ = false;
    bool displayValues_ = false;
    bool loadingState_ = false;
    bool evaluating_ = false;
    int contextsMade_ = 0;
    int evaluations_ = 0;
    qint64 lastTapTime_ = -1;
    QPointF lastTapPosition_;
    bool touchMoved_ = false;
};

}  // namespace plotwise
