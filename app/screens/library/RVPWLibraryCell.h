#pragma once

#include "app/screens/list/RVPWExpressionCell.h"

namespace plotwise {

// A library row: the list's expression cell without its eye and swatch, with an accessory at
// the end: the add button of a workspace row or the details button of a library row. Heights
// follow the formula's layout box, so no image is made to measure a row.
class RVPWLibraryCell : public RVPWExpressionCell {
    Q_OBJECT

public:
    enum class Accessory { Add, Details };
    static constexpr int accessorySide = 29;

    RVPWLibraryCell(Accessory accessory, QObject* parent = nullptr);

    // The library's row height: W is the list's width less 44; a formula w by h gives h + 26
    // when w < W, else W * h / w + 26, never below 65 (nor when there is no formula or W <= 0).
    static int libraryRowHeight(QSizeF formula, int listWidth);
    QRect accessoryRect(const QRect& rect) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

signals:
    void accessoryClicked(const QModelIndex& index);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    Accessory accessory_;
};

}  // namespace plotwise
