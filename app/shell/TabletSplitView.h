#pragma once

#include <QWidget>

class QFrame;
class QSplitter;
class QStackedWidget;
class QToolButton;

namespace plotwise {

class NavigationStack;

// The tablet's window content: the front plane's equation list as master beside the detail
// navigation stack of graph screens. While the window is taller than wide the master side hides
// and an "Equations" button over the detail side shows the list in a popup instead.
class TabletSplitView : public QWidget {
    Q_OBJECT

public:
    static constexpr int masterWidth = 320;

    explicit TabletSplitView(QWidget* parent = nullptr);

    QSplitter* splitter() const { return splitter_; }
    NavigationStack* detailStack() const { return detail_; }
    // One list per plane; the front plane's shows.
    QStackedWidget* masterStack() const { return master_; }
    void setMasterList(QWidget* list);

    bool isMasterHidden() const { return portrait_; }
    QToolButton* equationsButton() const { return equationsButton_; }
    // The popup holding the list while the master side is hidden; null while closed.
    QFrame* masterPopup() const { return popup_; }
    // Shows the list: in the popup while the master side is hidden, else focuses it.
    void showMasterList();
    void hideMasterPopup();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateOrientation();
    void returnMasterToSplitter();

    QSplitter* splitter_;
    QStackedWidget* master_;
    NavigationStack* detail_;
    QToolButton* equationsButton_;
    QFrame* popup_ = nullptr;
    bool portrait_ = false;
};

}  // namespace plotwise
