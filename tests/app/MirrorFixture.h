#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <memory>

#include "app/context/ApplicationContext.h"
#include "app/storage/NotificationCenter.h"
#include "app/storage/PreferenceStore.h"
#include "equations/RVEquation.h"

namespace plotwise::testing {

// A preference store in a folder of its own and an application context over it, for screens
// made without the shell.
class MirrorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        store_ = std::make_unique<PreferenceStore>(folder_.filePath(QStringLiteral("prefs.plist")));
        context_ = std::make_unique<ApplicationContext>(*store_, center_, DeviceClass::Phone);
        context_->settings().registerDefaults();
    }

    static QVariantMap equationState(const QString& text, const QString& colour) {
        return {{RVEquation::expressionStringKey, text},
                {RVEquation::expressionColorKey, colour},
                {RVEquation::expressionVisibleKey, true}};
    }

    // Pixels whose strongest channel is the one of `colour` (pure red, green or blue) by a
    // clear margin: the curves drawn in it, antialiased or not, and nothing of the grey grid.
    static int pixelsTinted(const QImage& image, QColor colour) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        const auto channel = [&colour](QRgb pixel) {
            return colour.red() == 255     ? std::array{qRed(pixel), qGreen(pixel), qBlue(pixel)}
                   : colour.green() == 255 ? std::array{qGreen(pixel), qRed(pixel), qBlue(pixel)}
                                           : std::array{qBlue(pixel), qRed(pixel), qGreen(pixel)};
        };
        int count = 0;
        for (int y = 0; y < rgb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                const auto c = channel(line[x]);
                count += c[0] - std::max(c[1], c[2]) > 60 ? 1 : 0;
            }
        }
        return count;
    }

    QTemporaryDir folder_;
    NotificationCenter center_;
    std::unique_ptr<PreferenceStore> store_;
    std::unique_ptr<ApplicationContext> context_;
};

}  // namespace plotwise::testing
