#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QSizeF>

#include "equations/EquationListModel.h"

namespace plotwise {

// The library's equations for its list. A library may hold thousands of formulas, so images
// are made only for the rows that are painted and kept in a small cache, and row heights come
// from each formula's layout box (FormulaSizeRole), which costs no image.
class RVPWLibraryModel : public EquationListModel {
    Q_OBJECT

public:
    enum LibraryRole {
        // The formula's layout box in points (a QSizeF; empty without a tree).
        FormulaSizeRole = FormulaImageRole + 100,
    };
    static constexpr int imageCacheSize = 96;

    explicit RVPWLibraryModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

    // How many images are held now, and how many were ever made.
    int heldImageCount() const { return static_cast<int>(images_.size()); }
    int madeImageCount() const { return madeImages_; }

private:
    void forgetRows(int first, int last);

    mutable QCache<const RVEquation*, QImage> images_;
    mutable QHash<const RVEquation*, QSizeF> sizes_;
    mutable int madeImages_ = 0;
};

}  // namespace plotwise
