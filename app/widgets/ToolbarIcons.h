#pragma once

#include <QIcon>

namespace plotwise {

// The toolbar's icons, drawn in white for the dark bar at the sizes a bar asks for.
class ToolbarIcons {
public:
    ToolbarIcons() = delete;

    // A circular arrow: reset the view.
    static QIcon refresh();
    // The plane to switch to, as its name: "3D" on the 2D screen, "2D" on the 3D screen.
    static QIcon plane(const QString& name);
    // A plus sign: add an equation.
    static QIcon add();
    // Lines of a list: the plane's equations.
    static QIcon list();
    // A gear: the settings screen.
    static QIcon settings();
    // An open book with a ribbon: the library.
    static QIcon bookmarks();
    // Three dots: the second row of actions; a cross closes it again.
    static QIcon more();
    static QIcon close();
    // A tray with an arrow: share the plane.
    static QIcon share();
    // A ringed "?" and "i": help and information.
    static QIcon help();
    static QIcon info();
};

}  // namespace plotwise
