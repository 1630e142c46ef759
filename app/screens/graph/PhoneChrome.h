#pragma once

#include <QTimer>

#include "app/screens/graph/GraphScreenChrome.h"

namespace plotwise {

// The phone's bars: the first toolbar along the bottom edge (add, list, reset, switch plane,
// more) and the secondary one (library, share, help, information, settings) that "more" brings
// up where the first one was, pushing it up by its height. A touch that begins in the bottom
// 80 points brings a hidden bar back after 0.2 s; a moving touch hides it instead, where the
// settings allow hiding.
class PhoneChrome : public GraphScreenChrome {
    Q_OBJECT

public:
    static constexpr int barHeight = 44;
    static constexpr int showZoneHeight = 80;
    static constexpr int showDelayMilliseconds = 200;

    // Tags of the first and the secondary toolbar.
    enum Tag {
        AddTag = 0,
        EquationsTag = 1,
        LibraryTag = 2,
        ResetTag = 3,
        Show3DTag = 4,
        Show2DTag = 5,
        MoreTag = 6,
        ShareTag = 8,
        HelpTag = 9,
        InfoTag = 10,
        SettingsTag = 11,
    };

    // `planeView` is watched for the touches that show and hide the bar.
    PhoneChrome(RVPWGraphViewController& screen, QWidget* planeView);

    QList<QToolBar*> toolbars() const override { return {main_, secondary_}; }
    QToolBar* mainToolbar() const { return main_; }
    QToolBar* secondaryToolbar() const { return secondary_; }
    QAction* moreAction() const { return more_; }
    void place() override;
    // 0 while hidden, one bar's height, or two while the secondary toolbar shows.
    double bottomOffset() const override;

    bool isExpanded() const { return expanded_; }
    bool isToolbarHidden() const { return hidden_; }
    void toggleToolbar();
    // Hides the bar where the settings allow it, else only collapses an expanded one.
    void hideToolbar();
    void showToolbar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setExpanded(bool expanded);

    QWidget* planeView_;
    QToolBar* main_;
    QToolBar* secondary_;
    QAction* more_;
    QTimer showTimer_;
    bool expanded_ = false;
    bool hidden_ = false;
};

}  // namespace plotwise
