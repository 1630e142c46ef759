#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace plotwise {

class RVEquation;

// The details of one library entry: its formula, its caption ("None" when empty) and its
// notes, both editable. Each finished edit changes the entry and is announced, so the library
// saves it at once.
class RVPWLibraryDetailsController : public QWidget {
    Q_OBJECT

public:
    RVPWLibraryDetailsController(RVEquation& expression, qreal devicePixelRatio,
                                 QWidget* parent = nullptr);

    RVEquation& expression() const { return expression_; }
    QLineEdit* captionField() const { return captionField_; }
    QPlainTextEdit* notesField() const { return notesField_; }
    QPushButton* backButton() const { return back_; }

    // The answer of the notes editor.
    void takeNewString(const QString& notes);

signals:
    // libraryDetailsControllerDidChangeDetails.
    void detailsChanged();
    void backRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void commitCaption();
    void commitNotes();
    void finish();

    RVEquation& expression_;
    QLineEdit* captionField_;
    QPlainTextEdit* notesField_;
    QPushButton* back_ = nullptr;
};

}  // namespace plotwise
