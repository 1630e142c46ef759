#pragma once

#include <QList>
#include <QObject>
#include <QRect>

class QAction;
class QToolBar;
class QWidget;

namespace plotwise {

class RVPWGraphViewController;

// The bars of one graph screen in one idiom: which actions they show, with which tags, in which
// order and where. The screen owns the actions and their behaviour; the chrome only lays them out.
class GraphScreenChrome : public QObject {
    Q_OBJECT

public:
    explicit GraphScreenChrome(RVPWGraphViewController& screen);

    // Every bar, the main one first.
    virtual QList<QToolBar*> toolbars() const = 0;
    // Places the bars over a screen of that size (after a resize).
    virtual void place() = 0;
    // Room the bars take at the bottom and top of the plane, in points.
    virtual double bottomOffset() const = 0;
    virtual double topOffset() const { return 0.0; }
    // The rectangle of the button for `action`, in the screen's coordinates; the bottom middle
    // of the screen when the action has no visible button.
    QRect anchorRect(QAction* action) const;

    // The tag an action carries on this idiom's bars, or -1.
    static int tagOf(const QAction* action);
    // The tags of a bar's actions, in order.
    static QList<int> tags(const QToolBar* bar);

protected:
    static void setTag(QAction* action, int tag);
    // A dark bar of icons, not movable.
    QToolBar* makeBar();
    // Puts `actions` on `bar` with a flexible space before, between and after them.
    static void fillSpaced(QToolBar* bar, const QList<QAction*>& actions);

    RVPWGraphViewController& screen_;
};

}  // namespace plotwise
