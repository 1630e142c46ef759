#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace plotwise {

// A row with a bold 15-point label and a one-line text field, such as "Caption". The field
// keeps text of any length (QLineEdit alone cuts at 32,767); Return or leaving the field
// commits it. The cell does not highlight.
class RVPWLabelCell : public QWidget {
    Q_OBJECT

public:
    explicit RVPWLabelCell(const QString& label, QWidget* parent = nullptr);

    QLabel* label() const { return label_; }
    QLineEdit* textField() const { return textField_; }

    // Shows `text` as the committed text. While the user has typed something else that is not
    // yet committed, the field keeps it: a change from elsewhere (an undo) must not eat it.
    void setText(const QString& text);
    // Commits what is typed now (a screen closing keeps an unconfirmed edit).
    void commit();

signals:
    // Sent on commit only when the text differs from the committed one.
    void textCommitted(const QString& text);

private:
    QLabel* label_;
    QLineEdit* textField_;
    QString committed_;
};

}  // namespace plotwise
