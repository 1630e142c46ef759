#include "app/screens/details/RVPWLabelCell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <limits>

namespace plotwise {

RVPWLabelCell::RVPWLabelCell(const QString& label, QWidget* parent)
    : QWidget(parent), label_(new QLabel(label, this)), textField_(new QLineEdit(this)) {
    QFont bold = label_->font();
    bold.setBold(true);
    bold.setPointSizeF(15.0);
    label_->setFont(bold);
    label_->setBuddy(textField_);
    textField_->setMaxLength(std::numeric_limits<int>::max());
    textField_->setAccessibleName(label);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
    layout->addWidget(textField_, 1);
    setFocusProxy(textField_);
    connect(textField_, &QLineEdit::editingFinished, this, &RVPWLabelCell::commit);
}

void RVPWLabelCell::setText(const QString& text) {
    const bool typing = textField_->text() != committed_;
    committed_ = text;
    if (!typing && textField_->text() != text) {
        textField_->setText(text);
    }
}

void RVPWLabelCell::commit() {
    const QString text = textField_->text();
    if (text == committed_) {
        return;
    }
    committed_ = text;
    emit textCommitted(text);
}

}  // namespace plotwise
