#include "app/shell/sharing/RVPWShareController.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>

#include "app/shell/sharing/MailAttachments.h"
#include "app/shell/sharing/MailFolder.h"
#include "app/shell/sharing/PictureSaver.h"
#include "app/shell/sharing/XdgEmail.h"
#include "app/widgets/RVLoadingView.h"

namespace plotwise {

namespace {

// How long "Saved!" stays.
constexpr int kSavedMilliseconds = 400;

// The export formats, in the order of the dialog's filters.
struct ExportFormat {
    const char* name;
    const char* filter;
};
constexpr ExportFormat kExportFormats[] = {
    {"png", QT_TRANSLATE_NOOP("RVPWShareController", "PNG image (*.png)")},
    {"svg", QT_TRANSLATE_NOOP("RVPWShareController", "SVG drawing (*.svg)")},
    {"pdf", QT_TRANSLATE_NOOP("RVPWShareController", "PDF document (*.pdf)")},
};

QString picturesFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

}  // namespace

RVPWShareController::RVPWShareController(QWidget* host, Source source, QObject* parent)
    : QObject(parent), host_(host), source_(std::move(source)) {
    Q_ASSERT(host != nullptr);
    copyImageAction_ =
        makeAction(tr("Copy Image"), tr("Copy the graph as an image"),
                   QKeySequence(Qt::CTRL | Qt::Key_C), &RVPWShareController::copyImage);
    saveImageAction_ =
        makeAction(tr("Save to Pictures"), tr("Save the graph in your pictures"),
                   QKeySequence(Qt::CTRL | Qt::Key_S), &RVPWShareController::saveImage);
    emailAction_ = makeAction(tr("Email"), tr("Mail the graph and its equations"),
                              QKeySequence(Qt::CTRL | Qt::Key_M), &RVPWShareController::email);
    exportAction_ = makeAction(tr("Export…"), tr("Export the graph as PNG, SVG or PDF"),
                               QKeySequence(), &RVPWShareController::exportWithDialog);
}

RVPWShareController::~RVPWShareController() {
    delete menu_;
}

QAction* RVPWShareController::makeAction(const QString& text, const QString& toolTip,
                                         const QKeySequence& shortcut,
                                         void (RVPWShareController::*slot)()) {
    auto* action = new QAction(text, this);
    action->setToolTip(toolTip);
    action->setShortcut(shortcut);
    // The shortcuts belong to the graph screen: Ctrl+C in another screen's text field copies
    // its text.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, slot);
    host_->addAction(action);
    return action;
}

void RVPWShareController::showMenu(QWidget* anchor) {
    if (!host_) {
        return;
    }
    if (!menu_) {
        menu_ = new QMenu(host_);
        menu_->addActions({copyImageAction_, saveImageAction_, emailAction_, exportAction_});
    }
    if (anchor == nullptr) {
        anchor = host_;
    }
    const QSize size = menu_->sizeHint();
    const QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height()));
    const QPoint above = anchor->mapToGlobal(QPoint(0, 0)) - QPoint(0, size.height());
    // Within the window when it can be: a bar at its bottom (the phone's) opens the menu
    // upwards, one at its top downwards; else wherever the screen has room.
    const QScreen* screen = anchor->screen();
    QRect room = screen != nullptr ? screen->availableGeometry() : QRect();
    if (const QWidget* window = anchor->window(); window != nullptr) {
        const QRect frame(window->mapToGlobal(QPoint(0, 0)), window->size());
        if (frame.height() >= 2 * size.height()) {
            room = room.isEmpty() ? frame : room.intersected(frame);
        }
    }
    const bool fitsBelow = room.isEmpty() || below.y() + size.height() <= room.bottom() + 1;
    menu_->popup(fitsBelow || above.y() < room.top() ? below : above);
}

void RVPWShareController::copyImage() {
    const QImage image = source_.planeImage();
    if (!image.isNull()) {
        QGuiApplication::clipboard()->setImage(image);
    }
}

void RVPWShareController::saveImage() {
    if (!host_) {
        return;
    }
    QPointer<RVLoadingView> panel = RVLoadingView::loadingViewInView(host_, tr("Saving..."));
    QTimer::singleShot(0, this, [this, panel] { finishSaving(panel); });
}

void RVPWShareController::finishSaving(QPointer<RVLoadingView> panel) {
    const QString folder = picturesFolder();
    const PictureSaver::Result result =
        PictureSaver::save(source_.planeImage(), folder, QDateTime::currentDateTime());
    if (!result.ok()) {
        if (panel) {
            panel->removeView();
        }
        showAlert(tr("There was an error saving the image:"),
                  QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(folder), result.error));
        return;
    }
    if (panel) {
        panel->setActivityIndicatorVisible(false);
        panel->label()->setText(tr("Saved!"));
        QTimer::singleShot(kSavedMilliseconds, panel, [panel] { panel->removeView(); });
    }
    emit imageSaved(result.path);
}

void RVPWShareController::email() {
    if (!host_) {
        return;
    }
    // xdg-email cannot be asked whether it will reach a mail client, so the desktop's mailto
    // handler stands in for that.
    const QString program = XdgEmail::programPath();
    if (program.isEmpty()) {
        showAlert(tr("This device is not configured to send mail"),
                  tr("No mail program is set up (xdg-email, from xdg-utils, and a program for "
                     "mailto: addresses). You can save the "
                     "graph to your pictures or copy it instead."),
                  {{tr("Save to Pictures"), [this] { saveImage(); }},
                   {tr("Copy Image"), [this] { copyImage(); }}});
        return;
    }
    QPointer<RVLoadingView> panel = RVLoadingView::loadingViewInView(host_, tr("Composing..."));
    QTimer::singleShot(0, this, [this, program, panel] { finishComposing(program, panel); });
}

void RVPWShareController::finishComposing(const QString& program, QPointer<RVLoadingView> panel) {
    const auto fail = [this, panel](const QString& what) {
        if (panel) {
            panel->removeView();
        }
        showAlert(tr("There was an error with your email:"), what);
    };
    QString error;
    const QString folder = MailFolder::create(&error);
    if (folder.isEmpty()) {
        fail(tr("The attachments could not be prepared: %1").arg(error));
        return;
    }
    const QList<const RVEquation*> equations = source_.visibleEquations();
    const qreal ratio = host_ ? host_->devicePixelRatioF() : 1.0;
    const MailAttachments::Written written =
        MailAttachments::write(folder, equations, source_.planeImage(), ratio);
    if (!written.ok()) {
        QDir(folder).removeRecursively();
        fail(tr("The attachments could not be written: %1").arg(written.error));
        return;
    }
    const QStringList arguments = XdgEmail::arguments(
        QStringLiteral("Graph"), MailAttachments::body(equations), written.files);
    const std::optional<qint64> pid = XdgEmail::start(program, arguments, &error);
    if (!pid) {
        QDir(folder).removeRecursively();
        fail(error);
        return;
    }
    if (panel) {
        panel->removeView();
    }
    emit mailClientStarted(*pid);
}

QFileDialog* RVPWShareController::openExportDialog() {
    if (!host_) {
        return nullptr;
    }
    if (exportDialog_) {
        exportDialog_->raise();
        exportDialog_->activateWindow();
        return exportDialog_;
    }
    QStringList filters;
    for (const ExportFormat& format : kExportFormats) {
        filters << tr(format.filter);
    }
    auto* dialog = new QFileDialog(host_, tr("Export"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog: the same on every desktop and phone shell, and drivable in tests.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(filters);
    const QString pictures = picturesFolder();
    dialog->setDirectory(QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    dialog->setDefaultSuffix(QString::fromLatin1(kExportFormats[0].name));
    dialog->selectFile(PictureSaver::baseName(QDateTime::currentDateTime()) +
                       QStringLiteral(".png"));
    const auto formatOf = [filters](const QString& filter) {
        const qsizetype index = std::max<qsizetype>(filters.indexOf(filter), 0);
        return QString::fromLatin1(kExportFormats[index].name);
    };
    connect(dialog, &QFileDialog::filterSelected, dialog,
            [dialog, formatOf](const QString& f) { dialog->setDefaultSuffix(formatOf(f)); });
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, dialog, formatOf](const QString& path) {
                exportTo(path, formatOf(dialog->selectedNameFilter()));
            });
    exportDialog_ = dialog;
    dialog->open();
    return dialog;
}

bool RVPWShareController::exportTo(QString path, const QString& format) {
    QString chosen = QFileInfo(path).suffix().toLower();
    const bool known = std::any_of(std::begin(kExportFormats), std::end(kExportFormats),
                                   [&chosen](const ExportFormat& f) { return chosen == f.name; });
    if (!known) {
        chosen = format;
        path += u'.' + format;
    }
    QString error;
    if (!source_.exportPlane || !source_.exportPlane(path, chosen, &error)) {
        showAlert(
            tr("There was an error exporting the image:"),
            QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(path),
                                         error.isEmpty() ? tr("It could not be written.") : error));
        return false;
    }
    emit exported(path);
    return true;
}

void RVPWShareController::showAlert(const QString& title, const QString& detail,
                                    std::vector<AlertButton> buttons) {
    if (!host_) {
        return;
    }
    auto* alert = new QMessageBox(host_);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setIcon(QMessageBox::Warning);
    alert->setWindowTitle(QStringLiteral("Plotwise"));
    alert->setText(title);
    alert->setInformativeText(detail);
    std::vector<std::pair<QAbstractButton*, std::function<void()>>> actions;
    for (AlertButton& button : buttons) {
        actions.emplace_back(alert->addButton(button.first, QMessageBox::ActionRole),
                             std::move(button.second));
    }
    alert->setDefaultButton(alert->addButton(tr("Ok"), QMessageBox::AcceptRole));
    connect(alert, &QMessageBox::buttonClicked, this,
            [actions = std::move(actions)](QAbstractButton* clicked) {
                for (const auto& [button, run] : actions) {
                    if (button == clicked) {
                        run();
                    }
                }
            });
    alert->open();
    emit alertShown(alert);
}

void RVPWShareController::removeStaleMailFolders() {
    MailFolder::removeStale();
}

}  // namespace plotwise
