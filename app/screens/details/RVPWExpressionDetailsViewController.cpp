#include "app/screens/details/RVPWExpressionDetailsViewController.h"

#include <QFormLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/screens/details/RVPWColorSwatchView.h"
#include "app/screens/details/RVPWDefaultColorViewController.h"
#include "app/screens/details/RVPWLabelCell.h"
#include "app/shell/NavigationStack.h"
#include "app/widgets/ScreenBar.h"
#include "equations/EquationListModel.h"

namespace plotwise {

RVPWExpressionDetailsViewController::RVPWExpressionDetailsViewController(
    EquationListModel& model, const QModelIndex& expression, bool displayExpression,
    QWidget* parent)
    : QWidget(parent),
      model_(model),
      expression_(expression),
      captionCell_(new RVPWLabelCell(tr("Caption"), this)),
      swatchView_(new RVPWColorSwatchView(this)),
      moreColors_(new QPushButton(tr("More Colors"), this)) {
    setWindowTitle(tr("Graph Settings"));
    useGroupedBackground(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    bar_ = makeScreenBar(this, tr("Graph Settings"), &back_);
    layout->addWidget(bar_);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 8, 12, 0);
    body->setSpacing(10);
    layout->addLayout(body, 1);
    if (displayExpression) {
        formulaView_ = new QLabel(this);
        formulaView_->setMinimumHeight(65);
        formulaView_->setAlignment(Qt::AlignCenter);
        formulaView_->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 128);"));
        body->addWidget(formulaView_);
    }
    captionCell_->textField()->setPlaceholderText(tr("None"));
    body->addWidget(captionCell_);
    swatchView_->setMinimumHeight(180);
    body->addWidget(swatchView_, 1);
    body->addWidget(moreColors_);

    connect(captionCell_, &RVPWLabelCell::textCommitted, this,
            &RVPWExpressionDetailsViewController::writeCaption);
    connect(swatchView_, &RVPWColorSwatchView::colorSwatchViewDidChangeColor, this,
            [this](const QColor& color) { changeColor(color, false); });
    connect(moreColors_, &QPushButton::clicked, this,
            &RVPWExpressionDetailsViewController::showMoreColors);
    connect(back_, &QPushButton::clicked, this, &RVPWExpressionDetailsViewController::closeScreen);
    // Follows undo and other changes of its equation; closes when the equation goes.
    connect(&model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                if (expression_.isValid() && first.row() <= expression_.row() &&
                    expression_.row() <= last.row()) {
                    refresh();
                }
            });
    const auto closeWhenGone = [this] {
        if (!expression_.isValid()) {
            dismiss();
        }
    };
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, closeWhenGone);
    connect(&model_, &QAbstractItemModel::modelReset, this, closeWhenGone);
    refresh();
}

RVPWExpressionDetailsViewController::~RVPWExpressionDetailsViewController() = default;

QSize RVPWExpressionDetailsViewController::sizeHint() const {
    // The bar comes on top, as a navigation bar does above a popover's content.
    const int bar = bar_->sizeHint().height();
    if (formulaView_ == nullptr) {
        return {320, bar + 330};
    }
    return {320,
            bar + std::max(formulaView_->minimumHeight(), formulaView_->sizeHint().height()) + 350};
}

void RVPWExpressionDetailsViewController::refresh() {
    if (!expression_.isValid()) {
        return;
    }
    const QColor color = expression_.data(EquationListModel::ColorRole).value<QColor>();
    if (color != swatchView_->selectedColor()) {
        swatchView_->setSelectedColor(color);
    }
    captionCell_->setText(expression_.data(EquationListModel::CaptionRole).toString());
    if (formulaView_ != nullptr) {
        const QImage image = expression_.data(EquationListModel::FormulaImageRole).value<QImage>();
        if (image.isNull()) {
            formulaView_->setText(expression_.data(EquationListModel::SourceTextRole).toString());
        } else {
            formulaView_->setPixmap(QPixmap::fromImage(image));
        }
    }
}

QLineEdit* RVPWExpressionDetailsViewController::captionField() const {
    return captionCell_->textField();
}

void RVPWExpressionDetailsViewController::commitCaption() {
    captionCell_->commit();
}

void RVPWExpressionDetailsViewController::writeCaption(const QString& caption) {
    if (!expression_.isValid()) {
        return;
    }
    // Written back only when changed.
    if (caption == expression_.data(EquationListModel::CaptionRole).toString()) {
        return;
    }
    if (delegate_ != nullptr) {
        delegate_->expressionDetailsControllerDidChangeCaption(this, caption);
    } else {
        model_.setData(expression_, caption, EquationListModel::CaptionRole);
    }
}

void RVPWExpressionDetailsViewController::changeColor(const QColor& color, bool continuing) {
    if (!expression_.isValid()) {
        return;
    }
    if (delegate_ != nullptr) {
        delegate_->expressionDetailsControllerDidChangeColor(this, color, continuing);
    } else {
        model_.setData(expression_, color, EquationListModel::ColorRole);
    }
}

RVPWDefaultColorViewController* RVPWExpressionDetailsViewController::showMoreColors() {
    if (!expression_.isValid()) {
        return nullptr;
    }
    auto* controller = new RVPWDefaultColorViewController(
        expression_.data(EquationListModel::ColorRole).value<QColor>(), tr("Graph Color"));
    colorController_ = controller;
    connect(controller, &RVPWDefaultColorViewController::defaultColorControllerDidChangeColor, this,
            [this](const QColor& color, bool continuing) {
                changeColor(color, continuing);
                swatchView_->setSelectedColor(color);
            });
    connect(controller, &RVPWDefaultColorViewController::backRequested, this, [this] {
        if (NavigationStack* stack = NavigationStack::containing(colorController_)) {
            if (stack->topScreen() == colorController_) {
                stack->pop();
            }
        }
        if (colorController_) {
            colorController_->deleteLater();
        }
    });
    if (NavigationStack* stack = NavigationStack::containing(this)) {
        stack->push(controller);
    } else {
        controller->setParent(this, Qt::Window);
        controller->show();
    }
    return controller;
}

void RVPWExpressionDetailsViewController::hideEvent(QHideEvent* event) {
    if (!dismissing_) {
        commitCaption();
    }
    QWidget::hideEvent(event);
}

void RVPWExpressionDetailsViewController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        closeScreen();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RVPWExpressionDetailsViewController::closeScreen() {
    commitCaption();
    dismiss();
}

void RVPWExpressionDetailsViewController::dismiss() {
    if (dismissing_) {
        return;
    }
    dismissing_ = true;
    NavigationStack* stack = NavigationStack::containing(this);
    if (stack != nullptr && stack->indexOf(this) >= 0) {
        // Graph Color (or anything else pushed on top) goes with it.
        while (stack->count() > 1 && stack->topScreen() != this) {
            if (QWidget* above = stack->pop()) {
                above->deleteLater();
            }
        }
        if (stack->topScreen() == this) {
            stack->pop();
        }
    } else {
        if (colorController_) {
            colorController_->deleteLater();
        }
        hide();
    }
    deleteLater();
}

}  // namespace plotwise
