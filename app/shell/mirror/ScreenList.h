#pragma once

#include <QList>
#include <QObject>
#include <QScreen>

namespace plotwise {

// The screens the external display controller chooses from: the application's own, reported as
// they come and go. Tests substitute a list of their own to add and remove screens live, which
// no platform plugin offers publicly.
class ScreenList : public QObject {
    Q_OBJECT

public:
    explicit ScreenList(QObject* parent = nullptr);

    // In the platform's order; the first one is where windows go by default.
    virtual QList<QScreen*> screens() const;

signals:
    void screenAdded(QScreen* screen);
    // Sent before the screen's windows are moved elsewhere.
    void screenRemoved(QScreen* screen);
};

}  // namespace plotwise
