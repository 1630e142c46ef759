#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "equations/ColorText.h"

namespace plotwise {
namespace {

struct HexCase {
    const char* name;
    QColor color;
    const char* text;
};

TEST(ColorText, WritesSixDigitsForOpaqueAndEightOtherwise) {
    const std::vector<HexCase> cases = {
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
    for (const HexCase& c : cases) {
        EXPECT_EQ(hexStringFromColor(c.color), QString::fromLatin1(c.text)) << c.name;
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

TEST(ColorText, RandomColoursAreOpaqueAndIndependent) {
    constexpr int count = 2000;
    std::vector<double> red, green, blue;
    int repeats = 0;
    QColor previous;
    for (int i = 0; i < count; ++i) {
        const QColor c = randomColor();
        ASSERT_TRUE(c.isValid());
        EXPECT_EQ(c.alphaF(), 1.0f);
        EXPECT_EQ(hexStringFromColor(c).size(), 6);
        for (const float component : {c.redF(), c.greenF(), c.blueF()}) {
            EXPECT_GE(component, 0.0f);
            EXPECT_LE(component, 1.0f);
        }
        repeats += c == previous ? 1 : 0;
        previous = c;
        red.push_back(c.redF());
        green.push_back(c.greenF());
        blue.push_back(c.blueF());
    }
    EXPECT_EQ(repeats, 0);
    const auto mean = [](const std::vector<double>& v) {
        double sum = 0;
        for (const double x : v) {
            sum += x;
        }
        return sum / static_cast<double>(v.size());
    };
    const auto correlation = [&mean](const std::vector<double>& a, const std::vector<double>& b) {
        const double ma = mean(a), mb = mean(b);
        double sab = 0, saa = 0, sbb = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            sab += (a[i] - ma) * (b[i] - mb);
            saa += (a[i] - ma) * (a[i] - ma);
            sbb += (b[i] - mb) * (b[i] - mb);
        }
        return sab / std::sqrt(saa * sbb);
    };
    // Uniform on [0, 1): mean 1/2 (standard error 0.0065 here); independent channels and draws
    // correlate near 0 (standard error 0.022). The bounds are over 4.5 standard errors.
    for (const auto* channel : {&red, &green, &blue}) {
        EXPECT_NEAR(mean(*channel), 0.5, 0.03);
    }
    EXPECT_NEAR(correlation(red, green), 0.0, 0.1);
    EXPECT_NEAR(correlation(green, blue), 0.0, 0.1);
    const std::vector<double> nextRed(red.begin() + 1, red.end());
    const std::vector<double> thisRed(red.begin(), red.end() - 1);
    EXPECT_NEAR(correlation(thisRed, nextRed), 0.0, 0.1);
}

}  // namespace
}  // namespace plotwise
