#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "equations/ColorText.h"

namespace plotwise {
namespace {

TEST(ColorText, WritesSixDigitsForOpaqueAndEightOtherwise) {
    const std::vector<std::tuple<const char*, QColor, const char*>> cases = {
        {"opaque red", QColor(255, 0, 0), "FF0000"},
        {"leading zeros kept", QColor(0, 0, 1), "000001"},
        {"mixed", QColor(0x12, 0xAB, 0x34), "12AB34"},
        {"alpha half rounds up to 80", QColor::fromRgbF(1.0f, 0.0f, 0.0f, 0.5f), "FF000080"},
        {"alpha 0", QColor(0x10, 0x20, 0x30, 0), "10203000"},
        {"alpha just below 1", QColor(0x10, 0x20, 0x30, 254), "102030FE"},
        {"clamped components", QColor::fromRgbF(1.5f, -0.2f, 0.5f), "FF0080"},
        {"HSV converted to RGB", QColor::fromHsv(120, 255, 255), "00FF00"},
        {"no colour", QColor(), "000000"},
        // Halves round away from zero: 0.5/255 scales to one half.
        {"half a step rounds up", QColor::fromRgbF(0.5f / 255, 0.5f / 255, 0.5f / 255), "010101"},
        {"less rounds down", QColor::fromRgbF(0.49f / 255, 0.49f / 255, 0.49f / 255), "000000"},
    };
    for (const auto& [name, color, text] : cases) {
        EXPECT_EQ(hexStringFromColor(color), QString::fromLatin1(text)) << name;
    }
}

// Six characters are RGB; any other length is the value read as RGBA ("0x" counts in the
// length; too many digits saturate).
TEST(ColorText, ReadsSixCharactersAsRgbAndOtherLengthsAsRgba) {
    const struct {
        const char* text;
        QRgb rgba;
    } rows[] = {
        {"FF0000", qRgba(255, 0, 0, 255)},
        {"ff8001", qRgba(255, 128, 1, 255)},
        {"FF000080", qRgba(255, 0, 0, 128)},
        {"FF00008", qRgba(0x0F, 0xF0, 0x00, 0x08)},
        {"F80", qRgba(0, 0, 0x0F, 0x80)},
        {"0xFF0000", qRgba(0, 255, 0, 0)},
        {"FFFFFFFFFFFF", qRgba(255, 255, 255, 255)},
    };
    for (const auto& row : rows) {
        const QColor color = colorWithHexString(QString::fromLatin1(row.text));
        ASSERT_TRUE(color.isValid()) << row.text;
        EXPECT_EQ(color.rgba(), row.rgba) << row.text;
    }
    EXPECT_NEAR(colorWithHexString(QStringLiteral("FF000080")).alphaF(), 128.0 / 255.0, 1e-4);
}

TEST(ColorText, TextWithoutDigitsIsNoColour) {
    for (const char* text : {"", "zz", "#FF0000", "  ", "-1"}) {
        EXPECT_FALSE(colorWithHexString(QString::fromLatin1(text)).isValid()) << text;
    }
}

TEST(ColorText, EveryByteSurvivesTextAndBack) {
    for (int v = 0; v < 256; ++v) {
        const quint32 rgb = static_cast<quint32>((v << 16) | ((255 - v) << 8) | (v ^ 0x5A));
        const QString text = hexStringFromColor(colorWithRGBHex(rgb));
        ASSERT_EQ(text.size(), 6);
        EXPECT_EQ(text.toUInt(nullptr, 16), rgb);
        EXPECT_EQ(hexStringFromColor(colorWithHexString(text)), text);

        const quint32 rgba = (rgb << 8) | static_cast<quint32>(v == 255 ? 254 : v);
        const QString withAlpha = hexStringFromColor(colorWithRGBAHex(rgba));
        ASSERT_EQ(withAlpha.size(), 8);
        EXPECT_EQ(withAlpha.toUInt(nullptr, 16), rgba);
    }
}

// WCAG: (lighter + 0.05) / (darker + 0.05) of the relative luminances, worked by hand for a
// few colours; a rose like F7B0A3 is under 2:1 on white.
TEST(ColorText, ContrastRatiosFollowWcag) {
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    EXPECT_NEAR(relativeLuminance(QColor(0x80, 0x80, 0x80)), 0.2158605, 1e-6);
    EXPECT_NEAR(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01);
    EXPECT_LT(contrastRatio(colorWithRGBHex(0xF7B0A3), Qt::white), 2.0);
    EXPECT_NEAR(contrastRatio(QColor(0, 0, 255), Qt::black), 2.44, 0.01);
}

// Opaque, never the same twice running, at least 2:1 against both backgrounds, and each channel
// uniform on [0, 1): the red of one draw says nothing of the next's.
TEST(ColorText, RandomColoursAreOpaqueVisibleAndIndependent) {
    double lagged = 0;
    QColor previous;
    for (int i = 0; i < 2000; ++i) {
        const QColor c = randomColor();
        ASSERT_TRUE(c.isValid());
        EXPECT_EQ(c.alphaF(), 1.0f);
        EXPECT_NE(c, previous);
        EXPECT_GE(contrastRatio(c, Qt::white), 2.0) << hexStringFromColor(c).toStdString();
        EXPECT_GE(contrastRatio(c, Qt::black), 2.0) << hexStringFromColor(c).toStdString();
        lagged += previous.isValid() ? (c.redF() - 0.5) * (previous.redF() - 0.5) : 0.0;
        previous = c;
    }
    EXPECT_NEAR(lagged / 2000 * 12, 0.0, 0.1);  // the lag-one correlation; its variance is 1/12
}

}  // namespace
}  // namespace plotwise
