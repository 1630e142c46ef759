#include "app/screens/info/RVPWHelpViewController.h"

#include "app/shell/sharing/XdgEmail.h"

#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/storage/ApplicationIdentity.h"
#include "app/widgets/ScreenBar.h"

namespace plotwise {

RVPWHelpViewController::RVPWHelpViewController(QWidget* parent)
    : QWidget(parent),
      document_(new QPdfDocument(this)),
      pdfView_(new QPdfView(this)),
      envelope_(new QToolButton) {
    setWindowTitle(tr("Help"));
    envelope_->setIcon(envelopeIcon());
    envelope_->setIconSize(QSize(24, 18));
    envelope_->setToolTip(tr("Write to us"));
    envelope_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeDoneScreenBar(this, tr("Help"), &done_, envelope_));
    layout->addWidget(pdfView_, 1);
    connect(done_, &QPushButton::clicked, this, &RVPWHelpViewController::done);
    connect(envelope_, &QToolButton::clicked, this, &RVPWHelpViewController::contactUs);

    pdfView_->setPageMode(QPdfView::PageMode::MultiPage);
    pdfView_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    // A missing document leaves the view empty.
    if (QFile::exists(QString::fromLatin1(helpDocumentPath)) &&
        document_->load(QString::fromLatin1(helpDocumentPath)) == QPdfDocument::Error::None) {
        pdfView_->setDocument(document_);
    }
}

QMessageBox* RVPWHelpViewController::alert() const {
    return alert_;
}

void RVPWHelpViewController::contactUs() {
    const QString program = XdgEmail::programPath();
    if (program.isEmpty()) {
        showAlert(QString(), tr("This device is not configured to send mail"));
        return;
    }
    QProcess mail;
    mail.setProgram(program);
    mail.setArguments({QStringLiteral("--utf8"), QStringLiteral("--subject"),
                       tr("Plotwise Comments"), QString::fromLatin1(kSupportAddress)});
    // Detached: the mail program outlives this screen and is never waited for.
    if (!mail.startDetached()) {
        const QString reason = mail.errorString().isEmpty()
                                   ? tr("The mail program %1 could not be started.").arg(program)
                                   : mail.errorString();
        showAlert(tr("There was an error with your email:"), reason);
    }
}

void RVPWHelpViewController::showAlert(const QString& title, const QString& message) {
    if (alert_ != nullptr) {
        alert_->close();
    }
    auto* alert = new QMessageBox(this);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setIcon(title.isEmpty() ? QMessageBox::Information : QMessageBox::Warning);
    alert->setText(title.isEmpty() ? message : title);
    if (!title.isEmpty()) {
        alert->setInformativeText(message);
    }
    alert->addButton(tr("Ok"), QMessageBox::AcceptRole);
    alert_ = alert;
    alert->open();
}

QIcon RVPWHelpViewController::envelopeIcon() {
    QPixmap pixmap(48, 36);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QRectF body(3, 4, 42, 28);
    painter.drawRoundedRect(body, 3, 3);
    painter.drawPolyline(QPolygonF{body.topLeft() + QPointF(2, 2), QPointF(body.center().x(), 21),
                                   body.topRight() + QPointF(-2, 2)});
    return QIcon(pixmap);
}

}  // namespace plotwise
