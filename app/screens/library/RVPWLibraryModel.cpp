#include "app/screens/library/RVPWLibraryModel.h"

#include "typeset/ExpressionImage.h"
#include "typeset/FormulaLayout.h"

namespace plotwise {

RVPWLibraryModel::RVPWLibraryModel(QObject* parent) : EquationListModel(parent) {
    images_.setMaxCost(imageCacheSize);
    // The caches are keyed by the equation's address, which a new equation may reuse.
    connect(this, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { forgetRows(first, last); });
    connect(this, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        images_.clear();
        sizes_.clear();
    });
}

void RVPWLibraryModel::forgetRows(int first, int last) {
    for (int row = first; row <= last; ++row) {
        const RVEquation* equation = equationAt(row);
        images_.remove(equation);
        sizes_.remove(equation);
    }
}

QVariant RVPWLibraryModel::data(const QModelIndex& index, int role) const {
    const RVEquation* equation = index.isValid() ? equationAt(index.row()) : nullptr;
    if (equation == nullptr || (role != FormulaImageRole && role != FormulaSizeRole)) {
        return EquationListModel::data(index, role);
    }
    if (equation->expression() == nullptr) {
        return role == FormulaImageRole ? QVariant(QImage()) : QVariant(QSizeF());
    }
    if (role == FormulaSizeRole) {
        auto found = sizes_.constFind(equation);
        if (found == sizes_.constEnd()) {
            FormulaLayout layout(equation->expression());
            layout.cacheSizeAtDepth(0);
            found = sizes_.insert(equation, QSizeF(layout.size().width(), layout.size().height()));
        }
        return *found;
    }
    if (const QImage* held = images_.object(equation)) {
        return *held;
    }
    ExpressionImage maker;
    auto* image = new QImage(maker.expressionImage(*equation->expression(), devicePixelRatio()));
    ++madeImages_;
    const QImage copy = *image;
    images_.insert(equation, image);
    return copy;
}

Qt::ItemFlags RVPWLibraryModel::flags(const QModelIndex& index) const {
    // Rows move within the list; nothing lands on a row.
    Qt::ItemFlags flags = EquationListModel::flags(index);
    if (index.isValid()) {
        flags &= ~Qt::ItemIsDropEnabled;
    }
    return flags;
}

}  // namespace plotwise
