#pragma once

#include <QList>

#include "app/screens/graph/RVPWGraphViewController.h"
#include "graph2d/EquationModel2D.h"
#include "graph2d/view/RVEquation2DViewDelegate.h"

namespace plotwise {

class RVEquation2DView;

// The 2D graph screen: the plane view over the 2D equation model, with the settings that change
// how the plane looks applied as their notifications arrive.
class RVPW2DViewController : public RVPWGraphViewController, public RVEquation2DViewDelegate {
    Q_OBJECT

public:
    explicit RVPW2DViewController(ApplicationContext& context, QWidget* parent = nullptr);
    ~RVPW2DViewController() override;

    RVEquation2DView* equationView() const { return view_; }
    EquationModel2D& equations() { return model_; }
    EquationListModel& equationModel() override { return model_; }
    // The equations whose visible flag is set, in order.
    std::vector<RVEquation2D*> visibleExpressions() const { return model_.visibleEquations(); }
    void resetView() override;
    QImage imageRepresentation() override;

    // RVEquation2DViewDelegate
    QList<RVEquation2DView*> arrayWithVisible2DViews() override;
    void equationViewDidChangeStateDictionary(const QVariantMap& state) override;
    QSizeF sizeWithTopAndBottomOffsets() override;

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

private:
    void applySettings();

    // Declared before the view, which observes it, so it is destroyed after the view.
    EquationModel2D model_;
    RVEquation2DView* view_;
};

}  // namespace plotwise
