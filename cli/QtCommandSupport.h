#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/EquationType.h"

namespace plotwise::cli {

// RRGGBB or RRGGBBAA, with or without a leading '#'; `hasAlpha` tells which was given.
std::optional<QColor> parseColor(std::string_view text, bool* hasAlpha = nullptr);

// A colour given with --color, and whether it carried an alpha.
struct ChosenColor {
    QColor color;
    bool hasAlpha = false;
};

// The colour of the `index`-th expression of a drawing command: the n-th --color for the n-th
// expression, the others a fixed palette in turn (apart from each other and from the grid,
// readable on light and dark backgrounds). An inequality is half transparent, as its default
// colour is, unless an alpha was given.
QColor colorForExpression(const std::vector<ChosenColor>& colors, std::size_t index,
                          EquationType type);

// Writes `image` as a PNG to `path` and reports every failure (an unwritable folder, a full
// disk): an error text, or nothing when the whole file is written. A regular file is replaced
// atomically through QSaveFile; a device or pipe (/dev/stdout, /dev/full) is written in place.
std::optional<std::string> writePng(const QImage& image, const QString& path);

// Keeps only critical messages on standard error while it lives: the platform's chatter (a
// missing runtime directory, font configuration notes) would break the one-line error contract.
class QtMessageFilter {
public:
    QtMessageFilter();
    ~QtMessageFilter();
    QtMessageFilter(const QtMessageFilter&) = delete;
    QtMessageFilter& operator=(const QtMessageFilter&) = delete;

private:
    QtMessageHandler previous_;
};

// A new application object of the given kind when the process has none yet, offscreen unless
// QT_QPA_PLATFORM says otherwise; null when one exists (the caller checks its kind).
template <typename Application>
std::unique_ptr<Application> offscreenApplicationIfNone() {
    if (QCoreApplication::instance() != nullptr) {
        return nullptr;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Qt keeps references to both for the application's lifetime.
    static int argc = 1;
    static char name[] = "plotwise-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<Application>(argc, argv);
}

}  // namespace plotwise::cli
