#pragma once

#include <QWidget>

class QLabel;

namespace plotwise {

// A row showing an equation's notes in the 13-point system font, black, or "None" in grey when
// there are none; a click, a tap, Return or Space on it asks for the notes editor. The cell
// keeps the notes exactly; very long notes are shown only up to a preview length.
class RVPWNotesCell : public QWidget {
    Q_OBJECT

public:
    // Characters shown at most; the rest is elided at a character boundary.
    static constexpr int previewLength = 4000;

    explicit RVPWNotesCell(QWidget* parent = nullptr);

    QLabel* label() const { return label_; }
    const QString& text() const { return text_; }
    void setText(const QString& notes);

    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* label_;
    QString text_;
};

}  // namespace plotwise
