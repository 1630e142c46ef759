#pragma once

#include <QSize>

#include "app/screens/graph/GraphScreenChrome.h"

namespace plotwise {

// The tablet's one bar, 500 by 44 points at the top right of the detail side: add, library,
// reset, switch plane, share, help, information and settings.
class TabletChrome : public GraphScreenChrome {
    Q_OBJECT

public:
    static constexpr QSize barSize{500, 44};

    enum Tag {
        AddTag = 0,
        LibraryTag = 1,
        ResetTag = 2,
        SwitchPlaneTag = 3,
        SettingsTag = 5,
        ShareTag = 6,
        HelpTag = 7,
        InfoTag = 8,
    };

    explicit TabletChrome(RVPWGraphViewController& screen);

    QList<QToolBar*> toolbars() const override { return {bar_}; }
    void place() override;
    double bottomOffset() const override { return 0.0; }
    double topOffset() const override { return barSize.height(); }

private:
    QToolBar* bar_;
};

}  // namespace plotwise
