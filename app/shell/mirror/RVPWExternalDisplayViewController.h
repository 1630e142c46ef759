#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>
#include <vector>

namespace plotwise {

class RVPWGraphViewController;

// What the external window shows: on black, the front plane's equations and view. For the 2D
// plane a display-only 2D view (it draws the samples the plane's own view made, never samples
// itself); for the 3D plane a 3D view drawing, through the shared OpenGL context, the buffers the
// 3D screen uploaded. Both observe the screen's equation model, so an equation the plane deletes
// leaves the mirror with it, and follow every view-state change the screen reports. The mirror
// takes no input: Escape reaches the window.
class RVPWExternalDisplayViewController : public QWidget {
    Q_OBJECT

public:
    enum class Mode { None, TwoD, ThreeD };

    explicit RVPWExternalDisplayViewController(QWidget* parent = nullptr);
    ~RVPWExternalDisplayViewController() override;

    // Shows `front`'s plane from now on; null shows nothing. A new view is made only when the
    // mode changes (or none exists); the state is applied at once either way.
    void showPlaneOf(RVPWGraphViewController* front);
    // The 2D or 3D view, or null (no front screen, or a 3D plane without OpenGL).
    QWidget* currentView() const { return view_; }
    Mode mode() const { return mode_; }
    RVPWGraphViewController* front() const { return front_; }

signals:
    // The view shown changed (another mode, or none): the plane views that sample for the
    // mirror's window are told the new one.
    void currentViewChanged(QWidget* view);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setMode(Mode mode);
    void attachModel();
    void applyState(const QVariantMap& state);
    void applySettings();
    QVariantMap frontState() const;
    void forget();

    QPointer<RVPWGraphViewController> front_;
    QPointer<QWidget> view_;
    Mode mode_ = Mode::None;
    std::vector<QMetaObject::Connection> frontConnections_;
};

}  // namespace plotwise
