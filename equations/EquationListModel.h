#pragma once

#include <QAbstractListModel>
#include <QVariantList>
#include <memory>
#include <vector>

#include "equations/RVEquation.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {

// The ordered equations of one plane, owned here. The plane's view, its list, the keyboard and
// the library observe and change them only through this model (on the main thread), so every
// change reaches every observer as one model signal. Rows are equations; the roles expose what
// the list shows and edits.
class EquationListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        // The equation's text as typed (also Qt::DisplayRole and Qt::EditRole).
        SourceTextRole = Qt::UserRole + 1,
        CaptionRole,
        NotesRole,
        // A QColor; invalid when the equation has none.
        ColorRole,
        // The selection mark of the list's editing mode.
        MarkRole,
        // The RVEquation* itself, for observers that draw it.
        EquationRole,
        // The formula as a black image at the model's pixel ratio (a QImage), made when first
        // asked for and kept with its row; null when the formula is too large for an image.
        FormulaImageRole,
    };

    explicit EquationListModel(QObject* parent = nullptr);
    ~EquationListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Visibility as Qt::CheckStateRole, colour, caption, notes and mark; the text is changed by
    // replacing the equation.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    int count() const { return static_cast<int>(equations_.size()); }
    bool isEmpty() const { return equations_.empty(); }
    // nullptr out of range.
    RVEquation* equationAt(int row) const;
    int rowOf(const RVEquation* equation) const;

    void insertEquation(int row, std::unique_ptr<RVEquation> equation);
    void appendEquation(std::unique_ptr<RVEquation> equation);
    // Appends in order, announced as one insertion.
    void appendEquations(std::vector<std::unique_ptr<RVEquation>> equations);
    // The equation at `row` becomes `equation` (an edited text); the old one is returned.
    std::unique_ptr<RVEquation> replaceEquation(int row, std::unique_ptr<RVEquation> equation);
    std::unique_ptr<RVEquation> takeEquation(int row);
    void clear();

    // The state dictionaries of every equation, in order: what the workspace saves.
    QVariantList dictionariesWithState() const;

    static QVariant checkState(bool visible) { return visible ? Qt::Checked : Qt::Unchecked; }

    // The pixel ratio formula images are made at; a new ratio forgets every kept image.
    qreal devicePixelRatio() const { return devicePixelRatio_; }
    void setDevicePixelRatio(qreal ratio);
    // Forgets the row's image after its equation's tree was changed in place.
    void expressionChanged(int row);
    // How many rows hold a made image (made or null): what the cache has taken.
    int cachedImageCount() const;

protected:
    const std::vector<std::unique_ptr<RVEquation>>& equations() const { return equations_; }

private:
    bool validRow(int row) const { return row >= 0 && row < count(); }

    void insertImages(int row, int count);

    std::vector<std::unique_ptr<RVEquation>> equations_;
    // One per row, moved with it. Made lazily from const data(), hence mutable.
    mutable std::vector<ExpressionImage> images_;
    qreal devicePixelRatio_ = 1.0;
};

// A plane's model typed by its equation class (RVEquation2D, RVEquation3D), so its users need no
// casts. Every equation in it is an `Equation`: the typed operations hide the untyped inserts.
template <typename Equation>
class PlaneEquationModel : public EquationListModel {
public:
    using EquationListModel::EquationListModel;

    Equation* equationAt(int row) const {
        return static_cast<Equation*>(EquationListModel::equationAt(row));
    }
    void insertEquation(int row, std::unique_ptr<Equation> equation) {
        EquationListModel::insertEquation(row, std::move(equation));
    }
    void appendEquation(std::unique_ptr<Equation> equation) {
        EquationListModel::appendEquation(std::move(equation));
    }
    void appendEquations(std::vector<std::unique_ptr<Equation>> equations) {
        std::vector<std::unique_ptr<RVEquation>> base;
        base.reserve(equations.size());
        for (auto& equation : equations) {
            base.push_back(std::move(equation));
        }
        EquationListModel::appendEquations(std::move(base));
    }
    std::unique_ptr<Equation> replaceEquation(int row, std::unique_ptr<Equation> equation) {
        return downcast(EquationListModel::replaceEquation(row, std::move(equation)));
    }
    std::unique_ptr<Equation> takeEquation(int row) {
        return downcast(EquationListModel::takeEquation(row));
    }
    // In order; the pointers stay owned by the model.
    std::vector<Equation*> all() const {
        std::vector<Equation*> result;
        result.reserve(equations().size());
        for (const auto& equation : equations()) {
            result.push_back(static_cast<Equation*>(equation.get()));
        }
        return result;
    }
    std::vector<Equation*> visibleEquations() const {
        std::vector<Equation*> result;
        for (const auto& equation : equations()) {
            if (equation->visible()) {
                result.push_back(static_cast<Equation*>(equation.get()));
            }
        }
        return result;
    }

private:
    static std::unique_ptr<Equation> downcast(std::unique_ptr<RVEquation> equation) {
        return std::unique_ptr<Equation>(static_cast<Equation*>(equation.release()));
    }
};

}  // namespace plotwise
