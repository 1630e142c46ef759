#pragma once

#include <QScrollArea>
#include <memory>

namespace plotwise {

class FormulaLayout;

// Shows one formula, centred vertically, scrolling sideways when it is wider than the view.
class FormulaPreviewView : public QScrollArea {
    Q_OBJECT

public:
    explicit FormulaPreviewView(QWidget* parent = nullptr);

    // Lays the formula out (at depth 0) and shows it; null shows nothing.
    void setFormula(std::shared_ptr<FormulaLayout> formula);
    const FormulaLayout* formula() const { return formula_.get(); }
    void setColor(const QColor& color);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitCanvas();

    class Canvas;
    Canvas* canvas_;
    std::shared_ptr<FormulaLayout> formula_;
};

}  // namespace plotwise
