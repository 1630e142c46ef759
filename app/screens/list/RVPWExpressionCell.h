#pragma once

#include <QStyledItemDelegate>

namespace plotwise {

// Paints a row of an equation model: the visibility image (or, in editing mode, the selection
// mark), the formula image (scaled down to fit, or the source text when there is none), the
// caption under it and the colour swatch at the end. Rows stay light on dark themes, since the
// formulas are black. The buttons are hit-tested here, so the view needs no cell widgets.
class RVPWExpressionCell : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int minimumRowHeight = 65;
    // What the row keeps beside the formula: the visibility button and the swatch.
    static constexpr int reservedWidth = 88;

    explicit RVPWExpressionCell(QObject* parent = nullptr);

    bool isEditing() const { return editing_; }
    void setEditing(bool editing) { editing_ = editing; }
    void setDisplayVisibilityButton(bool display) { displayVisibilityButton_ = display; }
    void setDisplayColorButton(bool display) { displayColorButton_ = display; }

    // The row height for a formula of `formula` points in a list `listWidth` wide.
    static int rowHeight(QSizeF formula, int listWidth);
    // The parts of a row at `rect`.
    QRect visibilityRect(const QRect& rect) const;
    QRect colorButtonRect(const QRect& rect) const;
    // Editing mode: the drag handle that reorders, where the swatch was.
    QRect handleRect(const QRect& rect) const;
    bool isOnHandle(const QRect& rect, QPoint point) const;
    // A release (click or tap) at `point` in the row at `rect`: emits what it touched.
    void activate(const QModelIndex& index, const QRect& rect, QPoint point);
    // The caption cut to `width` at a character boundary, never inside an emoji sequence.
    static QString elidedCaption(const QString& caption, const QFontMetrics& metrics, int width);
    QRectF formulaRect(const QRect& rect, QSizeF formula) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static void paintVisibility(QPainter& painter, const QRectF& rect, bool visible);
    static void paintMark(QPainter& painter, const QRectF& rect, bool marked);
    static void paintHandle(QPainter& painter, const QRectF& rect);

signals:
    // A click or tap released over the part it was pressed on.
    void visibilityClicked(const QModelIndex& index);
    void colorButtonClicked(const QModelIndex& index);
    void rowClicked(const QModelIndex& index);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    enum class Part { None, Visibility, Color, Handle, Row };
    Part partAt(const QRect& rect, QPoint point) const;
    int formulaLeft() const;

    bool editing_ = false;
    bool displayVisibilityButton_ = true;
    bool displayColorButton_ = true;
};

}  // namespace plotwise
