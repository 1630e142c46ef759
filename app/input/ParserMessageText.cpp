#include "app/input/ParserMessageText.h"

#include <QCoreApplication>

#include "engine/TextUtilities.h"

namespace plotwise {

QString translatedParserMessage(const ParserMessage& message) {
    const QByteArray english = QString::fromStdU16String(message.format).toUtf8();
    const QString translated = QCoreApplication::translate("Parser", english.constData());
    return QString::fromStdU16String(formatMessage(translated.toStdU16String(), message.arguments));
}

}  // namespace plotwise
