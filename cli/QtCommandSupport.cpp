#include "cli/QtCommandSupport.h"

#include <charconv>
#include <cstdio>

namespace plotwise::cli {

namespace {

void criticalMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        fputs(qPrintable(message + QLatin1Char('\n')), stderr);
    }
}

}  // namespace

std::optional<QColor> parseColor(std::string_view text, bool* hasAlpha) {
    if (text.starts_with('#')) {
        text.remove_prefix(1);
    }
    if (text.size() != 6 && text.size() != 8) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (hasAlpha != nullptr) {
        *hasAlpha = text.size() == 8;
    }
    if (text.size() == 6) {
        return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
    return QColor((value >> 24) & 0xFF, (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

QtMessageFilter::QtMessageFilter() : previous_(qInstallMessageHandler(criticalMessagesOnly)) {}

QtMessageFilter::~QtMessageFilter() {
    qInstallMessageHandler(previous_);
}

}  // namespace plotwise::cli
