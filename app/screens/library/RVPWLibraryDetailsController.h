#pragma once

#include <QPointer>
#include <QWidget>

#include "app/screens/details/LongTextFieldViewController.h"
#include "common/DeviceClass.h"

class QPushButton;

namespace plotwise {

class RVEquation;
class RVPWLabelCell;
class RVPWNotesCell;

// The details of one library entry: its formula, its caption ("None" when empty) and its
// notes, which open the long text editor. Each committed edit changes the entry and is
// announced, so the library saves it at once.
class RVPWLibraryDetailsController : public QWidget,
                                     public LongTextFieldEditingViewControllerDelegate {
    Q_OBJECT

public:
    RVPWLibraryDetailsController(RVEquation& expression, DeviceClass device, qreal devicePixelRatio,
                                 QWidget* parent = nullptr);
    ~RVPWLibraryDetailsController() override;

    RVEquation& expression() const { return expression_; }
    RVPWLabelCell* captionCell() const { return captionCell_; }
    RVPWNotesCell* notesCell() const { return notesCell_; }
    QPushButton* backButton() const { return back_; }
    // The notes editor, while open.
    LongTextFieldViewController* notesEditor() const;
    LongTextFieldViewController* editNotes();

    // LongTextFieldEditingViewControllerDelegate: the notes editor's answer.
    void takeNewString(const QString& notes) override;

signals:
    // libraryDetailsControllerDidChangeDetails.
    void detailsChanged();
    void backRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish();

    RVEquation& expression_;
    DeviceClass device_;
    RVPWLabelCell* captionCell_;
    RVPWNotesCell* notesCell_;
    QPushButton* back_ = nullptr;
    QPointer<LongTextFieldViewController> notesEditor_;
};

}  // namespace plotwise
