#include "app/screens/graph/TabletChrome.h"

#include <QAction>
#include <QToolBar>

#include "app/screens/graph/RVPWGraphViewController.h"

namespace plotwise {

TabletChrome::TabletChrome(RVPWGraphViewController& screen)
    : GraphScreenChrome(screen), bar_(makeBar()) {
    const QList<std::pair<ScreenAction, int>> items{
        {ScreenAction::Add, AddTag},         {ScreenAction::Library, LibraryTag},
        {ScreenAction::ResetView, ResetTag}, {ScreenAction::SwitchPlane, SwitchPlaneTag},
        {ScreenAction::Share, ShareTag},     {ScreenAction::Help, HelpTag},
        {ScreenAction::Info, InfoTag},       {ScreenAction::Settings, SettingsTag}};
    QList<QAction*> actions;
    for (const auto& [which, tag] : items) {
        setTag(screen.action(which), tag);
        actions.append(screen.action(which));
    }
    fillSpaced(bar_, actions);
    bar_->setFixedSize(barSize);
}

void TabletChrome::place() {
    // A window narrower than the bar keeps its first items in view.
    bar_->move(qMax(0, screen_.width() - barSize.width()), 0);
    bar_->raise();
}

}  // namespace plotwise
