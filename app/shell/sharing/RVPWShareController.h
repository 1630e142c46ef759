#pragma once

#include <QFileDialog>
#include <QImage>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QAction;
class QMessageBox;
class QWidget;

namespace plotwise {

class RVEquation;
class RVLoadingView;

// The share menu of one graph screen: copy the plane's image, save it to the pictures folder,
// mail it with the formula images through the desktop's mail client, or export it as PNG, SVG
// or PDF. Progress panels and alerts appear over the host; no alert blocks (each is opened
// window-modal and reported through alertShown).
class RVPWShareController : public QObject {
    Q_OBJECT

public:
    struct Source {
        // The plane's imageRepresentation.
        std::function<QImage()> planeImage;
        // The plane's visible equations, in order (a hidden one slipping in is left out).
        std::function<QList<const RVEquation*>()> visibleEquations;
        // Writes the plane as "png", "svg" or "pdf"; false with a reason.
        std::function<bool(const QString& path, const QString& format, QString* error)> exportPlane;
    };

    RVPWShareController(QWidget* host, Source source, QObject* parent = nullptr);
    ~RVPWShareController() override;

    QAction* copyImageAction() const { return copyImageAction_; }  // "Copy Image", Ctrl+C
    QAction* saveImageAction() const { return saveImageAction_; }  // "Save to Pictures", Ctrl+S
    QAction* emailAction() const { return emailAction_; }          // "Email", Ctrl+M
    QAction* exportAction() const { return exportAction_; }        // "Export…"
    // The menu of the four, below the anchor or above it when there is no room below.
    void showMenu(QWidget* anchor);
    QMenu* menu() const { return menu_; }

    // What the actions do.
    void copyImage();
    // "Saving..." at once, the file on the next turn of the event loop, so the panel shows
    // first.
    void saveImage();
    // "Composing..." at once, the attachments and the mail client on the next turn.
    void email();
    QFileDialog* openExportDialog();
    // Writes the plane to `path` in the format its extension names, else in `format` with that
    // extension added; an alert tells why it failed.
    bool exportTo(QString path, const QString& format);

    // Removes the mail folders earlier launches left; called once at start.
    static void removeStaleMailFolders();

signals:
    // After "Saved!" is shown.
    void imageSaved(const QString& path);
    // The mail client was started with its attachments in place.
    void mailClientStarted(qint64 pid);
    void exported(const QString& path);
    // An alert was opened over the host (it deletes itself when closed).
    void alertShown(QMessageBox* alert);

private:
    using AlertButton = std::pair<QString, std::function<void()>>;

    QAction* makeAction(const QString& text, const QString& toolTip, const QKeySequence& shortcut,
                        void (RVPWShareController::*slot)());
    void showAlert(const QString& title, const QString& detail,
                   std::vector<AlertButton> buttons = {});
    void finishSaving(QPointer<RVLoadingView> panel);
    void finishComposing(const QString& program, QPointer<RVLoadingView> panel);
    void exportWithDialog() { openExportDialog(); }

    QPointer<QWidget> host_;
    Source source_;
    QAction* copyImageAction_;
    QAction* saveImageAction_;
    QAction* emailAction_;
    QAction* exportAction_;
    QPointer<QMenu> menu_;
    QPointer<QFileDialog> exportDialog_;
};

}  // namespace plotwise
