#include "app/screens/details/RVPWDefaultColorViewController.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/widgets/RVColorPicker.h"
#include "app/widgets/ScreenBar.h"

namespace plotwise {

RVPWDefaultColorViewController::RVPWDefaultColorViewController(const QColor& selectedColor,
                                                               const QString& title,
                                                               QWidget* parent)
    : QWidget(parent), selectedColor_(selectedColor), picker_(nullptr) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeScreenBar(this, title, &back_));
    picker_ = new RVColorPicker(this);
    picker_->setAutoFillBackground(true);
    QPalette palette = picker_->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(0.225f, 0.225f, 0.225f));
    picker_->setPalette(palette);
    picker_->setMinimumSize(320, 416);
    picker_->setOldColor(selectedColor);
    picker_->setSelectedColor(selectedColor);
    layout->addWidget(picker_, 1);
    connect(back_, &QPushButton::clicked, this, &RVPWDefaultColorViewController::backRequested);
    connect(picker_, &RVColorPicker::colorChanged, this,
            [this](const QColor& color, bool continuing) {
                selectedColor_ = color;
                emit defaultColorControllerDidChangeColor(color, continuing);
            });
}

void RVPWDefaultColorViewController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit backRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace plotwise
