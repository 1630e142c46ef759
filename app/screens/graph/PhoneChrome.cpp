#include "app/screens/graph/PhoneChrome.h"

#include <QAction>
#include <QEvent>
#include <QToolBar>
#include <QTouchEvent>

#include "app/context/ApplicationContext.h"
#include "app/screens/graph/RVPWGraphViewController.h"
#include "app/widgets/ToolbarIcons.h"

namespace plotwise {

PhoneChrome::PhoneChrome(RVPWGraphViewController& screen, QWidget* planeView)
    : GraphScreenChrome(screen), planeView_(planeView), main_(makeBar()), secondary_(makeBar()) {
    const bool is3D = screen.plane() == WorkspaceStorage::Plane::ThreeD;
    more_ = new QAction(ToolbarIcons::more(), tr("More"), this);
    more_->setToolTip(tr("More"));
    connect(more_, &QAction::triggered, this, [this] {
        if (screen_.loadingDone()) {
            toggleToolbar();
        }
    });
    setTag(screen.action(ScreenAction::Add), AddTag);
    setTag(screen.action(ScreenAction::Equations), EquationsTag);
    setTag(screen.action(ScreenAction::ResetView), ResetTag);
    setTag(screen.action(ScreenAction::SwitchPlane), is3D ? Show2DTag : Show3DTag);
    setTag(more_, MoreTag);
    setTag(screen.action(ScreenAction::Library), LibraryTag);
    setTag(screen.action(ScreenAction::Share), ShareTag);
    setTag(screen.action(ScreenAction::Help), HelpTag);
    setTag(screen.action(ScreenAction::Info), InfoTag);
    setTag(screen.action(ScreenAction::Settings), SettingsTag);
    fillSpaced(main_, {screen.action(ScreenAction::Add), screen.action(ScreenAction::Equations),
                       screen.action(ScreenAction::ResetView),
                       screen.action(ScreenAction::SwitchPlane), more_});
    fillSpaced(secondary_,
               {screen.action(ScreenAction::Library), screen.action(ScreenAction::Share),
                screen.action(ScreenAction::Help), screen.action(ScreenAction::Info),
                screen.action(ScreenAction::Settings)});
    secondary_->hide();

    showTimer_.setSingleShot(true);
    showTimer_.setInterval(showDelayMilliseconds);
    connect(&showTimer_, &QTimer::timeout, this, &PhoneChrome::showToolbar);
    if (planeView_ != nullptr) {
        planeView_->installEventFilter(this);
    }
}

void PhoneChrome::place() {
    const int width = screen_.width();
    const int height = screen_.height();
    // Collapsed, the secondary bar waits just below the bottom edge.
    main_->setGeometry(0, height - (expanded_ ? 2 : 1) * barHeight, width, barHeight);
    secondary_->setGeometry(0, expanded_ ? height - barHeight : height, width, barHeight);
    main_->setVisible(!hidden_);
    secondary_->setVisible(expanded_);
    main_->raise();
    secondary_->raise();
    // The plane keeps its axes clear of the bars.
    if (planeView_ != nullptr) {
        planeView_->update();
    }
}

double PhoneChrome::bottomOffset() const {
    if (hidden_) {
        return 0.0;
    }
    return (expanded_ ? 2.0 : 1.0) * barHeight;
}

void PhoneChrome::setExpanded(bool expanded) {
    expanded_ = expanded;
    more_->setIcon(expanded ? ToolbarIcons::close() : ToolbarIcons::more());
    more_->setText(expanded ? tr("Close") : tr("More"));
    more_->setToolTip(more_->text());
    place();
}

void PhoneChrome::toggleToolbar() {
    setExpanded(!expanded_);
}

void PhoneChrome::hideToolbar() {
    if (screen_.context().settings().canHideToolbar() && !hidden_) {
        hidden_ = true;
        setExpanded(false);
    } else if (expanded_) {
        setExpanded(false);
    }
}

void PhoneChrome::showToolbar() {
    if (hidden_) {
        hidden_ = false;
        place();
    }
}

bool PhoneChrome::eventFilter(QObject* watched, QEvent* event) {
    if (watched == planeView_) {
        if (event->type() == QEvent::TouchBegin) {
            const auto* touch = static_cast<QTouchEvent*>(event);
            if (!touch->points().isEmpty() &&
                touch->points().first().position().y() >= planeView_->height() - showZoneHeight) {
                showTimer_.start();
            }
        } else if (event->type() == QEvent::TouchUpdate) {
            const auto* touch = static_cast<QTouchEvent*>(event);
            for (const QEventPoint& point : touch->points()) {
                if (point.state() == QEventPoint::Updated &&
                    point.position() != point.pressPosition()) {
                    showTimer_.stop();
                    hideToolbar();
                    break;
                }
            }
        }
    }
    return GraphScreenChrome::eventFilter(watched, event);
}

}  // namespace plotwise
