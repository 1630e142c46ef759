#include <gtest/gtest.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli/TypesetCommand.h"

namespace plotwise::cli {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome typeset(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    Outcome run;
    run.status = runTypeset(Arguments(arguments.data(), arguments.size()), out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

QJsonObject json(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

class TypesetCommand : public ::testing::Test {
protected:
    std::string file(const char* name) const { return dir_.filePath(name).toStdString(); }

    QTemporaryDir dir_;
};

TEST_F(TypesetCommand, WritesThePngAndReportsTheBox) {
    const std::string png = file("a.png");
    const Outcome run = typeset({"x^2+1", "-o", png, "--json"});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    const QJsonObject reply = json(run.out);
    EXPECT_TRUE(reply.value("ok").toBool());
    const double width = reply.value("width").toDouble();
    const double height = reply.value("height").toDouble();
    const double baseline = reply.value("baselineOffset").toDouble();
    EXPECT_GT(width, 0.0);
    EXPECT_GT(baseline, 0.0);
    EXPECT_LT(baseline, height);
    const QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    // The default scale is 2 image pixels per point.
    EXPECT_EQ(image.width(), static_cast<int>(std::ceil(width * 2.0)));
    EXPECT_EQ(image.height(), static_cast<int>(std::ceil(height * 2.0)));
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST_F(TypesetCommand, WithoutJsonPrintsNothing) {
    const Outcome run = typeset({"x", "-o", file("x.png")});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(QImage(QString::fromStdString(file("x.png"))).isNull());
}

TEST_F(TypesetCommand, ColourScaleAndDepthApply) {
    const Outcome plain = typeset({"(x+1)/y", "-o", file("plain.png"), "--json"});
    const Outcome red = typeset(
        {"(x+1)/y", "--output", file("red.png"), "--color", "FF0000", "--scale=1", "--json"});
    const Outcome deep = typeset({"(x+1)/y", "-o", file("deep.png"), "--depth", "8", "--json"});
    ASSERT_EQ(plain.status, kExitSuccess);
    ASSERT_EQ(red.status, kExitSuccess);
    ASSERT_EQ(deep.status, kExitSuccess);
    const double width = json(plain.out).value("width").toDouble();
    EXPECT_EQ(json(red.out).value("width").toDouble(), width);
    EXPECT_LT(json(deep.out).value("width").toDouble(), width);

    const QImage image =
        QImage(QString::fromStdString(file("red.png"))).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.width(), static_cast<int>(std::ceil(width)));
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255) {
                ++opaque;
                EXPECT_EQ(qRed(pixel), 255);
                EXPECT_EQ(qGreen(pixel), 0);
                EXPECT_EQ(qBlue(pixel), 0);
            }
        }
    }
    EXPECT_GT(opaque, 0);
}

TEST_F(TypesetCommand, DerivativesAreCarriedOut) {
    const Outcome derivative = typeset({"d/dx(x^2)", "-o", file("d.png"), "--json"});
    const Outcome result = typeset({"2⋅x", "-o", file("r.png"), "--json"});
    ASSERT_EQ(derivative.status, kExitSuccess) << derivative.err;
    ASSERT_EQ(result.status, kExitSuccess);
    EXPECT_EQ(json(derivative.out), json(result.out));
}

TEST_F(TypesetCommand, TextThatDoesNotParseIsAnInputFailure) {
    const std::string png = file("bad.png");
    const Outcome run = typeset({"sin x", "-o", png, "--json"});
    EXPECT_EQ(run.status, kExitInputFailure);
    EXPECT_EQ(run.err, "error at 4: \"(\" expected\n");
    const QJsonObject reply = json(run.out);
    EXPECT_FALSE(reply.value("ok").toBool(true));
    EXPECT_EQ(reply.value("position").toInt(), 4);
    EXPECT_TRUE(QImage(QString::fromStdString(png)).isNull());
}

TEST_F(TypesetCommand, AnUnwritableFileIsAFailure) {
    const Outcome run = typeset({"x", "-o", file("missing/folder/x.png")});
    EXPECT_EQ(run.status, kExitInputFailure);
    EXPECT_EQ(run.err.rfind("error: cannot write", 0), 0u) << run.err;
}

TEST_F(TypesetCommand, BadUsage) {
    const std::string png = file("u.png");
    const std::vector<std::vector<std::string>> cases = {
        {"x"},
        {"-o", png},
        {"x", "-o"},
        {"x", "-o", png, "--color", "red"},
        {"x", "-o", png, "--color", "FF00"},
        {"x", "-o", png, "--scale", "0"},
        {"x", "-o", png, "--scale", "nan"},
        {"x", "-o", png, "--scale", "100"},
        {"x", "-o", png, "--depth", "-1"},
        {"x", "-o", png, "--depth", "1.5"},
        {"x", "-o", png, "--shadow"},
    };
    for (const auto& arguments : cases) {
        const Outcome run = typeset(arguments);
        std::string line;
        for (const auto& argument : arguments) {
            line += argument + " ";
        }
        EXPECT_EQ(run.status, kExitUsage) << line;
        EXPECT_FALSE(run.err.empty()) << line;
    }
    EXPECT_TRUE(QImage(QString::fromStdString(png)).isNull());
}

TEST_F(TypesetCommand, ColourMayCarryAlpha) {
    const Outcome run = typeset({"x", "-o", file("half.png"), "--color", "#0000FF80"});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    const QImage image =
        QImage(QString::fromStdString(file("half.png"))).convertToFormat(QImage::Format_ARGB32);
    int maximumAlpha = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            maximumAlpha = std::max(maximumAlpha, qAlpha(image.pixel(x, y)));
        }
    }
    EXPECT_NEAR(maximumAlpha, 0x80, 2);
}

}  // namespace
}  // namespace plotwise::cli
