#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
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

    // Pixels close to `colour` (each channel within 60).
    static int pixelsNear(const QImage& image, QColor colour) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int y = 0; y < rgb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                count += std::abs(qRed(line[x]) - colour.red()) < 60 &&
                                 std::abs(qGreen(line[x]) - colour.green()) < 60 &&
                                 std::abs(qBlue(line[x]) - colour.blue()) < 60
                             ? 1
                             : 0;
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
