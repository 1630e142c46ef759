#pragma once

#include <QWidget>

#include "common/DeviceClass.h"

class QPlainTextEdit;
class QPushButton;

namespace plotwise {

// Receives the text of a notes editor on "Save".
class LongTextFieldEditingViewControllerDelegate {
public:
    virtual ~LongTextFieldEditingViewControllerDelegate() = default;
    virtual void takeNewString(const QString& string) = 0;
};

// A screen editing one long text (notes): a text view in the 13-point system font with the
// cursor at the end, "Cancel" on the left, "Save" on the right. "Save" (or Ctrl+Return) hands
// the text to the delegate, only when it was changed, and closes the screen; "Cancel" (or
// Escape) closes it. Text of any length is kept exactly: an unchanged text is never written
// back, and an edited one keeps its non-breaking spaces (which QPlainTextEdit::toPlainText
// would turn into spaces). Closing takes it off its navigation stack and deletes it later;
// outside a stack it hides.
class LongTextFieldViewController : public QWidget {
    Q_OBJECT

public:
    LongTextFieldViewController(DeviceClass device, const QString& title, const QString& string,
                                QWidget* parent = nullptr);

    void setDelegate(LongTextFieldEditingViewControllerDelegate* delegate) { delegate_ = delegate; }
    // The text it was opened with.
    const QString& string() const { return string_; }
    // The text as edited now, non-breaking spaces kept.
    QString editedString() const;
    QPlainTextEdit* textView() const { return textView_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }

    // The text view's height: 181 on a tablet; on a phone 85 in landscape, else 181.
    static int rowHeight(DeviceClass device, QSize viewSize);

    void save();
    void cancel();

    QSize sizeHint() const override { return {480, 240}; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leave();

    DeviceClass device_;
    QString string_;
    // The view's raw text right after loading, to tell an edit from the load's own changes.
    QString loaded_;
    LongTextFieldEditingViewControllerDelegate* delegate_ = nullptr;
    QPlainTextEdit* textView_;
    QPushButton* cancel_;
    QPushButton* save_;
    bool closing_ = false;
};

}  // namespace plotwise
