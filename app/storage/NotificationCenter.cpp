#include "app/storage/NotificationCenter.h"

namespace plotwise {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::post(const QString& name, QObject* object) {
    emit posted(name, object);
}

}  // namespace plotwise
