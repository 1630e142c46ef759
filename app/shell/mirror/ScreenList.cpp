#include "app/shell/mirror/ScreenList.h"

#include <QGuiApplication>

namespace plotwise {

ScreenList::ScreenList(QObject* parent) : QObject(parent) {
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &ScreenList::screenAdded);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &ScreenList::screenRemoved);
}

QList<QScreen*> ScreenList::screens() const {
    return QGuiApplication::screens();
}

}  // namespace plotwise
