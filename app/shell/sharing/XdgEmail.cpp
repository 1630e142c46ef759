#include "app/shell/sharing/XdgEmail.h"

#include <QProcess>
#include <QStandardPaths>

#include "app/platform/SchemeHandler.h"

namespace plotwise {

QString XdgEmail::programPath() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty() || !hasDefaultSchemeHandler(QStringLiteral("mailto")).value_or(true)) {
        return {};
    }
    return program;
}

QStringList XdgEmail::arguments(const QString& subject, const QString& body,
                                const QStringList& attachments) {
    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--subject"), subject,
                          QStringLiteral("--body"), body};
    for (const QString& file : attachments) {
        arguments << QStringLiteral("--attach") << file;
    }
    return arguments;
}

std::optional<qint64> XdgEmail::start(const QString& program, const QStringList& arguments,
                                      QString* error) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        *error =
            process.errorString().isEmpty()
                ? QStringLiteral("%1 could not be started.").arg(program)
                : QStringLiteral("%1 could not be started: %2").arg(program, process.errorString());
        return std::nullopt;
    }
    return pid;
}

}  // namespace plotwise
