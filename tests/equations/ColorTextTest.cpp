#include <gtest/gtest.h>

#include <cmath>
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
    };
    for (const auto& [name, color, text] : cases) {
        EXPECT_EQ(hexStringFromColor(color), QString::fromLatin1(text)) << name;
    }
}

TEST(ColorText, RoundsHalvesAwayFromZero) {
    // 0.5/255 scales to one half: rounds up to 1; 0.49/255 rounds down to 0.
    const float half = 0.5f / 255.0f;
    EXPECT_EQ(hexStringFromColor(QColor::fromRgbF(half, half, half)), "010101");
    const float below = 0.49f / 255.0f;
    EXPECT_EQ(hexStringFromColor(QColor::fromRgbF(below, below, below)), "000000");
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

// Opaque, in range, never the same twice running, and each channel uniform on [0, 1): mean 1/2
// (standard error 0.0065 here), and the red of one draw says nothing of the next's.
TEST(ColorText, RandomColoursAreOpaqueAndIndependent) {
    double sums[3] = {};
    double lagged = 0;
    QColor previous;
    for (int i = 0; i < 2000; ++i) {
        const QColor c = randomColor();
        ASSERT_TRUE(c.isValid());
        EXPECT_EQ(c.alphaF(), 1.0f);
        EXPECT_NE(c, previous);
        const float channels[] = {c.redF(), c.greenF(), c.blueF()};
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(channels[k], 0.0f);
            EXPECT_LE(channels[k], 1.0f);
            sums[k] += channels[k];
        }
        lagged += previous.isValid() ? (c.redF() - 0.5) * (previous.redF() - 0.5) : 0.0;
        previous = c;
    }
    for (const double sum : sums) {
        EXPECT_NEAR(sum / 2000, 0.5, 0.03);
    }
    EXPECT_NEAR(lagged / 2000 * 12, 0.0, 0.1);  // the lag-one correlation; its variance is 1/12
}

}  // namespace
}  // namespace plotwise
