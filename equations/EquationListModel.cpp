#include "equations/EquationListModel.h"

#include <QColor>
#include <QImage>
#include <algorithm>

namespace plotwise {

EquationListModel::EquationListModel(QObject* parent)
    : QAbstractListModel(parent), devicePixelRatio_(ExpressionImage::screenDevicePixelRatio()) {}

EquationListModel::~EquationListModel() = default;

int EquationListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

RVEquation* EquationListModel::equationAt(int row) const {
    return validRow(row) ? equations_[static_cast<std::size_t>(row)].get() : nullptr;
}

int EquationListModel::rowOf(const RVEquation* equation) const {
    const auto found =
        std::find_if(equations_.begin(), equations_.end(),
                     [equation](const auto& held) { return held.get() == equation; });
    return found == equations_.end() ? -1 : static_cast<int>(found - equations_.begin());
}

QVariant EquationListModel::data(const QModelIndex& index, int role) const {
    const RVEquation* equation = index.isValid() ? equationAt(index.row()) : nullptr;
    if (equation == nullptr) {
        return {};
    }
    const auto text = [equation] {
        return equation->expression()
                   ? QString::fromStdU16String(equation->expression()->expressionString())
                   : QString();
    };
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case SourceTextRole:
            return text();
        case Qt::CheckStateRole:
            return checkState(equation->visible());
        case CaptionRole:
            return equation->caption();
        case NotesRole:
            return equation->notes();
        case ColorRole:
            return equation->color();
        case MarkRole:
            return equation->selected();
        case EquationRole:
            return QVariant::fromValue(static_cast<void*>(const_cast<RVEquation*>(equation)));
        case FormulaImageRole:
            if (equation->expression() == nullptr) {
                return QImage();
            }
            return images_[static_cast<std::size_t>(index.row())].expressionImage(
                *equation->expression(), devicePixelRatio_);
        case Qt::AccessibleTextRole:
            return equation->caption().isEmpty()
                       ? text()
                       : equation->caption() + QStringLiteral(": ") + text();
        default:
            return {};
    }
}

bool EquationListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    RVEquation* equation = index.isValid() ? equationAt(index.row()) : nullptr;
    if (equation == nullptr) {
        return false;
    }
    switch (role) {
        case Qt::CheckStateRole:
            equation->setVisible(value.value<Qt::CheckState>() == Qt::Checked);
            break;
        case ColorRole:
            if (!value.canConvert<QColor>()) {
                return false;
            }
            equation->setColor(value.value<QColor>());
            break;
        case CaptionRole:
            equation->setCaption(value.toString());
            break;
        case NotesRole:
            equation->setNotes(value.toString());
            break;
        case MarkRole:
            equation->setSelected(value.toBool());
            break;
        default:
            return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

Qt::ItemFlags EquationListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
           Qt::ItemIsDragEnabled;
}

QHash<int, QByteArray> EquationListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(SourceTextRole, "sourceText");
    names.insert(CaptionRole, "caption");
    names.insert(NotesRole, "notes");
    names.insert(ColorRole, "color");
    names.insert(MarkRole, "mark");
    names.insert(FormulaImageRole, "formulaImage");
    return names;
}

bool EquationListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || count <= 0 || row < 0 || row + count > this->count()) {
        return false;
    }
    beginRemoveRows({}, row, row + count - 1);
    // Observers were told before the equations go, so none draws a freed one.
    equations_.erase(equations_.begin() + row, equations_.begin() + row + count);
    images_.erase(images_.begin() + row, images_.begin() + row + count);
    endRemoveRows();
    return true;
}

bool EquationListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                                 const QModelIndex& destinationParent, int destinationChild) {
    if (sourceParent.isValid() || destinationParent.isValid() || count <= 0 || sourceRow < 0 ||
        sourceRow + count > this->count() || destinationChild < 0 ||
        destinationChild > this->count()) {
        return false;
    }
    // Qt refuses a move onto itself (a destination inside or just after the moved block).
    if (!beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destinationChild)) {
        return false;
    }
    const auto first = equations_.begin() + sourceRow;
    const auto last = first + count;
    const auto images = images_.begin() + sourceRow;
    if (destinationChild < sourceRow) {
        std::rotate(equations_.begin() + destinationChild, first, last);
        std::rotate(images_.begin() + destinationChild, images, images + count);
    } else {
        std::rotate(first, last, equations_.begin() + destinationChild);
        std::rotate(images, images + count, images_.begin() + destinationChild);
    }
    endMoveRows();
    return true;
}

void EquationListModel::insertEquation(int row, std::unique_ptr<RVEquation> equation) {
    if (!equation) {
        return;
    }
    row = std::clamp(row, 0, count());
    beginInsertRows({}, row, row);
    equations_.insert(equations_.begin() + row, std::move(equation));
    insertImages(row, 1);
    endInsertRows();
}

void EquationListModel::appendEquation(std::unique_ptr<RVEquation> equation) {
    insertEquation(count(), std::move(equation));
}

void EquationListModel::appendEquations(std::vector<std::unique_ptr<RVEquation>> equations) {
    std::erase(equations, nullptr);
    if (equations.empty()) {
        return;
    }
    beginInsertRows({}, count(), count() + static_cast<int>(equations.size()) - 1);
    for (auto& equation : equations) {
        equations_.push_back(std::move(equation));
    }
    insertImages(static_cast<int>(images_.size()),
                 static_cast<int>(equations_.size() - images_.size()));
    endInsertRows();
}

std::unique_ptr<RVEquation> EquationListModel::replaceEquation(
    int row, std::unique_ptr<RVEquation> equation) {
    if (!validRow(row) || !equation) {
        return nullptr;
    }
    // A new equation is a new row for the observers (its samples, images and size are new).
    std::unique_ptr<RVEquation> old = takeEquation(row);
    insertEquation(row, std::move(equation));
    return old;
}

std::unique_ptr<RVEquation> EquationListModel::takeEquation(int row) {
    if (!validRow(row)) {
        return nullptr;
    }
    beginRemoveRows({}, row, row);
    std::unique_ptr<RVEquation> taken = std::move(equations_[static_cast<std::size_t>(row)]);
    equations_.erase(equations_.begin() + row);
    images_.erase(images_.begin() + row);
    endRemoveRows();
    return taken;
}

void EquationListModel::clear() {
    if (equations_.empty()) {
        return;
    }
    beginResetModel();
    equations_.clear();
    images_.clear();
    endResetModel();
}

void EquationListModel::insertImages(int row, int count) {
    images_.insert(images_.begin() + row, static_cast<std::size_t>(count), ExpressionImage());
}

void EquationListModel::setDevicePixelRatio(qreal ratio) {
    if (!(ratio > 0.0) || ratio == devicePixelRatio_) {
        return;
    }
    devicePixelRatio_ = ratio;
    for (ExpressionImage& image : images_) {
        image.clear();
    }
    if (!equations_.empty()) {
        emit dataChanged(index(0), index(count() - 1), {FormulaImageRole});
    }
}

void EquationListModel::expressionChanged(int row) {
    if (!validRow(row)) {
        return;
    }
    images_[static_cast<std::size_t>(row)].clear();
    emit dataChanged(index(row), index(row),
                     {Qt::DisplayRole, SourceTextRole, FormulaImageRole, Qt::AccessibleTextRole});
}

int EquationListModel::cachedImageCount() const {
    return static_cast<int>(
        std::count_if(images_.begin(), images_.end(),
                      [](const ExpressionImage& image) { return image.isMade(); }));
}

QVariantList EquationListModel::dictionariesWithState() const {
    return plotwise::dictionariesWithState(equations_);
}

}  // namespace plotwise
