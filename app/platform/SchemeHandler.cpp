#include "app/platform/SchemeHandler.h"

#include <QProcess>

namespace plotwise {

namespace {

constexpr int kQueryMilliseconds = 2000;

}  // namespace

std::optional<bool> hasDefaultSchemeHandler(const QString& scheme) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForStarted(kQueryMilliseconds)) {
        return std::nullopt;
    }
    if (!query.waitForFinished(kQueryMilliseconds)) {
        query.kill();
        query.waitForFinished(kQueryMilliseconds);
        return std::nullopt;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) {
        return std::nullopt;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace plotwise
