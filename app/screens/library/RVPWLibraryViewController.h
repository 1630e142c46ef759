#pragma once

#include <QPointer>
#include <QThread>
#include <QVariantList>
#include <QWidget>
#include <memory>
#include <optional>

#include "app/screens/library/RVPWLibraryModel.h"
#include "app/storage/LibraryFile.h"

class QLabel;
class QListView;
class QMenu;
class QPushButton;

namespace plotwise {

class ApplicationContext;
class RVLoadingView;
class RVPWLibraryCell;
class RVPWLibraryDetailsController;
class RVPWLibraryViewController;

// Who opened the library: it receives the chosen equation (a copy, notes empty) and closes
// the screen.
class RVPWLibraryViewControllerDelegate {
public:
    virtual ~RVPWLibraryViewControllerDelegate() = default;
    virtual void libraryController(RVPWLibraryViewController* controller,
                                   const RVEquation& equation) = 0;
    virtual void libraryControllerDidCancel(RVPWLibraryViewController* controller) = 0;
};

// The library of one plane's file: its saved equations under "Library", and above them the
// workspace's equations that are not in it yet, each with a button that adds it. A row is
// chosen for the plane; editing deletes (one by a swipe, or the marked ones), reorders and opens
// the details. Every change writes the whole file at once (LibraryFile); a write that fails, a
// version another program wrote meanwhile and an unreadable file are reported in a bar at the
// top. The file is read on a worker thread behind "Loading...".
class RVPWLibraryViewController : public QWidget {
    Q_OBJECT

public:
    RVPWLibraryViewController(ApplicationContext& context, double* variables,
                              const QString& fileName, QWidget* parent = nullptr);
    ~RVPWLibraryViewController() override;

    void setDelegate(RVPWLibraryViewControllerDelegate* delegate) { delegate_ = delegate; }
    // The workspace's equations; those whose text is in the library are left out.
    void setCurrentExpressions(const EquationListModel& workspace);

    const QString& plistFilename() const { return file_.fileName(); }
    bool isLoaded() const { return loaded_; }
    RVPWLibraryModel& libraryExpressions() { return library_; }
    RVPWLibraryModel& currentExpressions() { return current_; }
    QListView* libraryView() const { return libraryView_; }
    QListView* workspaceView() const { return workspaceView_; }
    QLabel* workspaceHeader() const { return workspaceHeader_; }
    QLabel* unreadLine() const { return unreadLine_; }
    QLabel* messageBar() const { return messageBar_; }
    QPushButton* editButton() const { return editButton_; }
    QPushButton* doneButton() const { return doneButton_; }
    QPushButton* selectAllButton() const { return selectAllButton_; }
    QPushButton* deleteSelectionButton() const { return deleteSelectionButton_; }
    // The confirm button a swipe (or Delete) shows on a row, and that row; -1 when hidden.
    QPushButton* deleteConfirmButton() const { return confirmButton_; }
    int deleteConfirmRow() const { return confirmRow_; }
    RVPWLibraryDetailsController* details() const;
    bool isEditing() const { return editing_; }

    // The screen's operations.
    void addExpressionToLibrary(int workspaceRow);
    void chooseRow(int row);
    void setEditing(bool editing);
    void toggleSelection(int row);
    void selectAll();
    void deleteSelection();
    // Shows the row's confirm button; deleteExpression is what it does.
    void confirmDelete(int row);
    void cancelDelete();
    void deleteExpression(int row);
    void moveExpression(int from, int to);
    RVPWLibraryDetailsController* showDetails(int row);
    void libraryDetailsControllerDidChangeDetails();
    void cancel();
    std::unique_ptr<QMenu> contextMenu(int row);

signals:
    void loadingFinished();
    // Every write of the file, with whether it landed.
    void saved(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startLoading();
    void loadingDone();
    void filterWorkspace();
    void updateDeleteButton();
    void updateSections();
    void save();
    void showMessage(const QString& message);
    void placeConfirmButton();
    int currentLibraryRow() const;

    ApplicationContext& context_;
    double* variables_;
    RVPWLibraryViewControllerDelegate* delegate_ = nullptr;
    LibraryFile file_;
    RVPWLibraryModel library_;
    RVPWLibraryModel current_;
    QVariantList pendingWorkspace_;
    int unreadCount_ = 0;
    bool loaded_ = false;
    bool editing_ = false;
    int confirmRow_ = -1;
    QPoint pressPosition_;
    bool pressed_ = false;
    bool swiped_ = false;
    QLabel* messageBar_;
    QLabel* workspaceHeader_;
    QListView* workspaceView_;
    QLabel* libraryHeader_;
    QLabel* unreadLine_;
    QListView* libraryView_;
    RVPWLibraryCell* workspaceCell_;
    RVPWLibraryCell* libraryCell_;
    QPushButton* editButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
    QWidget* editToolbar_ = nullptr;
    QPushButton* selectAllButton_ = nullptr;
    QPushButton* deleteSelectionButton_ = nullptr;
    QPushButton* confirmButton_ = nullptr;
    QPointer<RVLoadingView> loadingView_;
    QPointer<RVPWLibraryDetailsController> details_;
    // The read: filled on the loader thread, taken on this thread when it has finished.
    QThread* loader_ = nullptr;
    std::optional<LibraryStorage::Library> read_;
};

}  // namespace plotwise
