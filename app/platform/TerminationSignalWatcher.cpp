#include "app/platform/TerminationSignalWatcher.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <array>
#include <csignal>

namespace plotwise {

namespace {

// [0] is written by the handler, [1] read by the notifier.
std::array<int, 2> signalSockets{-1, -1};
constexpr std::array<int, 3> kWatchedSignals{SIGTERM, SIGINT, SIGHUP};

extern "C" void writeSignalByte(int signalNumber) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Async-signal-safe; a full socket means a quit is already pending.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

}  // namespace

TerminationSignalWatcher::TerminationSignalWatcher(QObject* parent) : QObject(parent) {
    if (signalSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK,
                                              0, signalSockets.data()) != 0) {
        return;
    }
    notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignalWatcher::readSignal);
    struct sigaction action {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kWatchedSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

TerminationSignalWatcher::~TerminationSignalWatcher() {
    if (notifier_ == nullptr) {
        return;
    }
    for (const int signalNumber : kWatchedSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets = {-1, -1};
}

void TerminationSignalWatcher::readSignal() {
    unsigned char byte = 0;
    while (::read(signalSockets[1], &byte, 1) == 1) {
        emit terminationRequested(byte);
    }
}

}  // namespace plotwise
