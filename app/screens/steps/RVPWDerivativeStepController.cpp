#include "app/screens/steps/RVPWDerivativeStepController.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "app/input/ParserMessageText.h"
#include "app/screens/list/RVPWExpressionCell.h"
#include "app/widgets/ScreenBar.h"
#include "engine/DerivativeSteps.h"
#include "equations/EquationListModel.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {

RVPWDerivativeStepController::RVPWDerivativeStepController(const QString& expression,
                                                           QWidget* parent)
    : QWidget(parent),
      error_(new QLabel(this)),
      list_(new QListView(this)),
      model_(new QStandardItemModel(this)) {
    setWindowTitle(tr("Derivative Steps"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("RVPWDerivativeStepController { background: white; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeDoneScreenBar(this, tr("Derivative Steps"), &done_));
    layout->addWidget(error_);
    layout->addWidget(list_, 1);
    connect(done_, &QPushButton::clicked, this, &RVPWDerivativeStepController::done);

    auto* cell = new RVPWExpressionCell(list_);
    cell->setDisplayVisibilityButton(false);
    cell->setDisplayColorButton(false);
    list_->setItemDelegate(cell);
    list_->setModel(model_);
    // Rows are read, not chosen.
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setStyleSheet(QStringLiteral("QListView { background: white; border: none; }"));
    list_->setUniformItemSizes(false);

    DerivativeSteps result = derivativeSteps(expression.toStdU16String(), table_.data());
    error_->setWordWrap(true);
    error_->setContentsMargins(12, 8, 12, 8);
    error_->setStyleSheet(QStringLiteral("color: rgb(170, 20, 20);"));
    if (result.error) {
        error_->setText(translatedParserMessage(*result.error));
    }
    error_->setVisible(result.error.has_value());
    steps_ = std::move(result.steps);
    if (result.simplified) {
        simplifiedRow_ = static_cast<int>(steps_.size());
        steps_.push_back(std::move(result.simplified));
    }
    fillList(devicePixelRatioF());
}

RVPWDerivativeStepController::~RVPWDerivativeStepController() = default;

void RVPWDerivativeStepController::fillList(qreal devicePixelRatio) {
    model_->clear();
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        auto* item = new QStandardItem;
        const QString text = QString::fromStdU16String(steps_[i]->description());
        item->setData(text, Qt::DisplayRole);
        item->setData(text, EquationListModel::SourceTextRole);
        ExpressionImage image;
        item->setData(image.expressionImage(*steps_[i], devicePixelRatio),
                      EquationListModel::FormulaImageRole);
        if (static_cast<int>(i) == simplifiedRow_) {
            item->setData(QString::fromStdU16String(std::u16string(kSimplifiedStepTitle)),
                          EquationListModel::CaptionRole);
        }
        item->setFlags(Qt::ItemIsEnabled);
        model_->appendRow(item);
    }
}

QStringList RVPWDerivativeStepController::stepTexts() const {
    QStringList texts;
    for (const auto& step : steps_) {
        texts.append(QString::fromStdU16String(step->description()));
    }
    return texts;
}

QString RVPWDerivativeStepController::errorText() const {
    return error_->isVisibleTo(this) ? error_->text() : QString();
}

}  // namespace plotwise
