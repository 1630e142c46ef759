#pragma once

#include <QObject>

class QSocketNotifier;

namespace plotwise {

// Turns SIGTERM, SIGINT and SIGHUP (a session logging out, a phone shell closing the app, Ctrl+C)
// into a Qt signal on the main thread, so the application can save and quit normally. The
// handler only writes a byte to a socket; everything else happens in the event loop. One
// instance per process.
class TerminationSignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignalWatcher(QObject* parent = nullptr);
    ~TerminationSignalWatcher() override;

    bool isWatching() const { return notifier_ != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace plotwise
