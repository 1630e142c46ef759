#pragma once

#include <QColor>
#include <QWidget>
#include <vector>

namespace plotwise {

class RVColorPickerSwatchView;

// The palette of Graph Settings: 24 swatches in 6 columns (pale, full and dark hues, five greys
// and orange). A colour outside the palette takes the last swatch. Colours match when their
// colour texts do, so a colour read back from a file still finds its swatch. The arrow keys move
// between swatches, Space picks one.
class RVPWColorSwatchView : public QWidget {
    Q_OBJECT

public:
    static constexpr int columns = 6;

    explicit RVPWColorSwatchView(QWidget* parent = nullptr);

    // The 24 colours in order.
    static std::vector<QColor> paletteColors();

    QColor selectedColor() const { return selectedColor_; }
    void setSelectedColor(const QColor& color);
    // -1 when none.
    int selectedIndex() const;
    const std::vector<RVColorPickerSwatchView*>& swatches() const { return swatches_; }

    QSize sizeHint() const override { return {300, 200}; }

signals:
    void colorSwatchViewDidChangeColor(const QColor& color);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void select(int index);

    QColor selectedColor_;
    std::vector<RVColorPickerSwatchView*> swatches_;
};

}  // namespace plotwise
