#include "cli/QtCommandSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <array>
#include <charconv>
#include <cstdio>

namespace plotwise::cli {

namespace {

void criticalMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        fputs(qPrintable(message + QLatin1Char('\n')), stderr);
    }
}

constexpr std::array<unsigned, 9> kPalette = {
    0x1F77B4,  // blue
    0xD62728,  // red
    0x2CA02C,  // green
    0xFF7F0E,  // orange
    0x9467BD,  // purple
    0x17BECF,  // cyan
    0xE377C2,  // pink
    0x8C564B,  // brown
    0xBCBD22,  // olive
};

// Writes the PNG into `file`, opened already; an error text on failure (the file's own, as
// "No space left on device", when it has one).
std::optional<std::string> writeImage(const QImage& image, QFileDevice& file) {
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        return (file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString())
            .toStdString();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> writePng(const QImage& image, const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        // Not a file to replace: renaming over a device would swap it for a plain file.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return file.errorString().toStdString();
        }
        if (auto error = writeImage(image, file)) {
            return error;
        }
        if (!file.flush()) {
            return file.errorString().toStdString();
        }
        file.close();
        if (file.error() != QFileDevice::NoError) {
            return file.errorString().toStdString();
        }
        return std::nullopt;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString().toStdString();
    }
    if (auto error = writeImage(image, file)) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) {
        return file.errorString().toStdString();
    }
    return std::nullopt;
}

QColor colorForExpression(const std::vector<ChosenColor>& colors, std::size_t index,
                          EquationType type) {
    ChosenColor chosen;
    if (index < colors.size()) {
        chosen = colors[index];
    } else {
        const unsigned rgb = kPalette[(index - colors.size()) % kPalette.size()];
        chosen.color = QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    if (type == EquationType::Inequality && !chosen.hasAlpha) {
        chosen.color.setAlphaF(0.5f);
    }
    return chosen.color;
}

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
