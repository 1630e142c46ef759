#pragma once

#include <QPointer>
#include <QWidget>

class QMessageBox;
class QPdfDocument;
class QPdfView;
class QPushButton;
class QToolButton;

namespace plotwise {

// The Help screen: the help document, Done, and an envelope that writes to the support address
// with the user's mail program.
class RVPWHelpViewController : public QWidget {
    Q_OBJECT

public:
    static constexpr char helpDocumentPath[] = ":/help/help.pdf";

    explicit RVPWHelpViewController(QWidget* parent = nullptr);

    QPdfView* pdfView() const { return pdfView_; }
    QPdfDocument* document() const { return document_; }
    QToolButton* envelopeButton() const { return envelope_; }
    QPushButton* doneButton() const { return done_; }
    // The alert the last contactUs showed, while it is open.
    QMessageBox* alert() const;

    // Starts the mail program on a new message to the support address; never waits for it.
    // Without one, or when it cannot start, says so in an alert.
    void contactUs();

    // The envelope's image, drawn here.
    static QIcon envelopeIcon();

signals:
    void done();

private:
    void showAlert(const QString& title, const QString& message);

    QPdfDocument* document_;
    QPdfView* pdfView_;
    QToolButton* envelope_;
    QPushButton* done_ = nullptr;
    QPointer<QMessageBox> alert_;
};

}  // namespace plotwise
