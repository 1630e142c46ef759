#pragma once

#include <QLatin1String>
#include <QObject>
#include <QString>
#include <utility>

namespace plotwise {

// Names of the notifications that announce settings changing what is already on screen, and
// the shake that resets a view.
inline constexpr QLatin1String useDarkBackground2DNotification{"useDarkBackground2DNotification"};
inline constexpr QLatin1String useThickLinesNotification{"useThickLinesNotification"};
inline constexpr QLatin1String useProportionalZoomNotification{"useProportionalZoomNotification"};
inline constexpr QLatin1String useLightBackground3DNotification{"useLightBackground3DNotification"};
inline constexpr QLatin1String display3DValuesNotification{"display3DValuesNotification"};
inline constexpr QLatin1String shakeBeganNotification{"shakeBeganNotification"};
inline constexpr QLatin1String shakeEndedNotification{"shakeEndedNotification"};
inline constexpr QLatin1String settingsDoneNotification{"settingsDoneNotification"};

// The process-wide notification centre: a poster names a notification and passes itself as the
// object; observers connect by name. An observer's connection ends with its context object.
class NotificationCenter : public QObject {
    Q_OBJECT

public:
    static NotificationCenter& defaultCenter();

    void post(const QString& name, QObject* object = nullptr);

    // Calls `handler(QObject* object)` for every notification named `name`, in `context`'s
    // thread, until `context` is destroyed or the connection is disconnected.
    template <typename Handler>
    QMetaObject::Connection addObserver(const QString& name, const QObject* context,
                                        Handler handler) {
        return connect(
            this, &NotificationCenter::posted, context,
            [name, handler = std::move(handler)](const QString& posted, QObject* object) mutable {
                if (posted == name) {
                    handler(object);
                }
            });
    }

signals:
    void posted(const QString& name, QObject* object);
};

}  // namespace plotwise
