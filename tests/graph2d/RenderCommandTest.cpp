#include <gtest/gtest.h>

#include <QDir>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/EvalCommand.h"
#include "cli/RenderCommand.h"

namespace plotwise::cli {
namespace {

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

CommandRun run(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    CommandRun result;
    result.status = runRender(Arguments(arguments.data(), arguments.size()), out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

QJsonObject json(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

QImage load(const std::string& file) {
    return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The plane as the command's options set it up, and the view's mapping of it.
struct Viewport {
    int width = 800;
    int height = 600;
    double centerX = 0.0;
    double centerY = 0.0;
    double ratioX = 80.0;
    double ratioY = 80.0;
    // Empty: the defaults, not spelled out, so that they are checked too.
    std::vector<std::string> options;

    double column(double x) const { return (x - centerX) * ratioX + width / 2.0; }
    double row(double y) const { return height / 2.0 - (y - centerY) * ratioY; }
    double planeX(double column) const { return centerX + (column - width / 2.0) / ratioX; }
};

Viewport defaults() {
    return {};
}

Viewport shifted() {
    return {640,
            480,
            1.5,
            -0.75,
            40.0,
            40.0,
            {"--size", "640x480", "--center", "1.5", "-0.75", "--ratio", "40"}};
}

Viewport perAxis() {
    return {500,
            700,
            -0.5,
            1.0,
            50.0,
            120.0,
            {"--size=500X700", "--center", "-0.5", "1", "--ratio", "50", "120"}};
}

// Mostly the one channel: an antialiased pixel of a pure colour blended with the white, black or
// grey under it; the grid's greys never are.
bool isRed(QRgb p) {
    return qRed(p) - std::max(qGreen(p), qBlue(p)) > 100;
}

bool isBlue(QRgb p) {
    return qBlue(p) - std::max(qRed(p), qGreen(p)) > 100;
}

bool near(QRgb p, QRgb q, int tolerance) {
    return std::abs(qRed(p) - qRed(q)) <= tolerance &&
           std::abs(qGreen(p) - qGreen(q)) <= tolerance &&
           std::abs(qBlue(p) - qBlue(q)) <= tolerance;
}

QRgb mostCommon(const QImage& image, const std::function<bool(int, int)>& where) {
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (where(x, y)) {
                ++counts[image.pixel(x, y) | 0xFF000000u];
            }
        }
    }
    QRgb best = 0;
    int bestCount = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    }
    return best;
}

// The column and the row holding the most pixels of exactly `colour`: the axes, which cross the
// whole image.
std::pair<int, int> fullestColumnAndRow(const QImage& image, QRgb colour) {
    std::vector<int> columns(static_cast<std::size_t>(image.width()));
    std::vector<int> rows(static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000u) == (colour | 0xFF000000u)) {
                ++columns[static_cast<std::size_t>(x)];
                ++rows[static_cast<std::size_t>(y)];
            }
        }
    }
    return {static_cast<int>(std::max_element(columns.begin(), columns.end()) - columns.begin()),
            static_cast<int>(std::max_element(rows.begin(), rows.end()) - rows.begin())};
}

// Whether the curve y = f(x) passes within two pixels of the pixel: its rows over the columns
// around it span the pixel's row.
bool onCurve(const Viewport& v, const std::function<double(double)>& f, int px, int py) {
    double top = INFINITY;
    double bottom = -INFINITY;
    for (int k = 0; k <= 16; ++k) {
        const double row = v.row(f(v.planeX(px - 1.5 + 4.0 * k / 16.0)));
        top = std::min(top, row);
        bottom = std::max(bottom, row);
    }
    return py + 0.5 >= top - 2.0 && py + 0.5 <= bottom + 2.0;
}

// Whether a pixel of the kind lies within two pixels of the view point.
bool found(const QImage& image, double column, double row, bool (*kind)(QRgb)) {
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
            const QPoint p(static_cast<int>(std::floor(column)) + dx,
                           static_cast<int>(std::floor(row)) + dy);
            if (image.valid(p) && kind(image.pixel(p))) {
                return true;
            }
        }
    }
    return false;
}

class RenderCommand : public ::testing::Test {
protected:
    std::string file(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }

    // Renders and loads the picture; fails the test when the command fails.
    QImage render(std::vector<std::string> arguments, const std::string& name) {
        arguments.push_back("-o");
        arguments.push_back(file(name));
        const CommandRun result = run(arguments);
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        EXPECT_TRUE(result.err.empty()) << result.err;
        return load(file(name));
    }

    QTemporaryDir dir_;
};

TEST_F(RenderCommand, AxesAndCurvesLieWhereTheMappingPutsThem) {
    const auto square = [](double x) { return x * x; };
    const auto identity = [](double x) { return x; };
    for (const Viewport& v : {defaults(), shifted(), perAxis()}) {
        QRgb backgrounds[2] = {};
        for (const bool dark : {false, true}) {
            SCOPED_TRACE(v.options.empty() ? "defaults" : v.options.front());
            SCOPED_TRACE(dark ? "dark" : "light");
            std::vector<std::string> arguments = {"y=x^2",  "y=x",     "--color",
                                                  "FF0000", "--color", "0000FF"};
            arguments.insert(arguments.end(), v.options.begin(), v.options.end());
            if (dark) {
                arguments.push_back("--dark");
            }
            const QImage image = render(arguments, "curves.png");
            ASSERT_EQ(image.size(), QSize(v.width, v.height));

            const QRgb background = mostCommon(image, [](int, int) { return true; });
            backgrounds[dark ? 1 : 0] = background;
            EXPECT_EQ(background & 0xFFFFFFu, dark ? 0x000000u : 0xFFFFFFu);

            const QRgb axis = dark ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            const auto [axisColumn, axisRow] = fullestColumnAndRow(image, axis);
            EXPECT_NEAR(axisColumn, v.column(0.0), 1.0);
            EXPECT_NEAR(axisRow, v.row(0.0), 1.0);

            // Every curve point in sight is drawn, and every drawn pixel lies on its curve.
            int checked = 0;
            for (int column = 10; column < v.width - 10; column += 7) {
                const double x = v.planeX(column);
                for (const auto& [f, kind] :
                     {std::pair{std::function<double(double)>(square), &isRed},
                      std::pair{std::function<double(double)>(identity), &isBlue}}) {
                    const double row = v.row(f(x));
                    const double slope = std::abs(v.row(f(v.planeX(column + 1))) - row);
                    if (row < 10 || row > v.height - 10 || slope > 3.0) {
                        continue;
                    }
                    EXPECT_TRUE(found(image, v.column(x), row, kind)) << x << " " << f(x);
                    ++checked;
                }
            }
            EXPECT_GT(checked, 40);
            int red = 0;
            int blue = 0;
            for (int py = 0; py < image.height(); ++py) {
                for (int px = 0; px < image.width(); ++px) {
                    const QRgb p = image.pixel(px, py);
                    if (isRed(p)) {
                        ++red;
                        EXPECT_TRUE(onCurve(v, square, px, py)) << px << "," << py;
                    } else if (isBlue(p)) {
                        ++blue;
                        EXPECT_TRUE(onCurve(v, identity, px, py)) << px << "," << py;
                    }
                }
            }
            EXPECT_GT(red, 100);
            EXPECT_GT(blue, 100);
        }
        EXPECT_NE(backgrounds[0], backgrounds[1]);
    }
}

TEST_F(RenderCommand, AnInequalityTintsOneSideHalfTransparently) {
    const Viewport v = defaults();
    // Pixels well clear of the line y = x and of the axes with their ticks and labels.
    const auto side = [&v](int px, int py) {
        const double x = v.planeX(px + 0.5);
        const double y = v.centerY + (v.height / 2.0 - (py + 0.5)) / v.ratioY;
        if (std::abs(y - x) * v.ratioX / std::sqrt(2.0) < 8.0 ||
            std::abs(px + 0.5 - v.column(0.0)) < 40.0 || std::abs(py + 0.5 - v.row(0.0)) < 40.0) {
            return 0;
        }
        return y < x ? -1 : 1;
    };
    struct Case {
        std::vector<std::string> arguments;
        QRgb below;  // green over the background
        QRgb above;  // the background
    };
    const std::vector<Case> cases = {
        {{"y<x", "--color", "00FF00"}, qRgb(127, 255, 127), qRgb(255, 255, 255)},
        {{"y<x", "--color", "00FF00", "--dark"}, qRgb(0, 128, 0), qRgb(0, 0, 0)},
        // An alpha of the user's own is kept.
        {{"y<x", "--color", "00FF00FF"}, qRgb(0, 255, 0), qRgb(255, 255, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const QImage image = render(c.arguments, "region.png");
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(
            near(mostCommon(image, [&](int x, int y) { return side(x, y) < 0; }), c.below, 2));
        EXPECT_EQ(mostCommon(image, [&](int x, int y) { return side(x, y) > 0; }) & 0xFFFFFFu,
                  c.above & 0xFFFFFFu);
        int wrong = 0;
        for (int py = 0; py < image.height(); ++py) {
            for (int px = 0; px < image.width(); ++px) {
                const int s = side(px, py);
                const QRgb p = image.pixel(px, py);
                const bool tinted = qGreen(p) - qRed(p) > 60 && qGreen(p) - qBlue(p) > 60;
                if (s != 0 && tinted != (s < 0)) {
                    ++wrong;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(RenderCommand, ColoursGoInOrderThenThePalette) {
    // Thick lines cover whole pixels, so the colour shows unblended.
    const std::string png = file("colours.png");
    const CommandRun result =
        run({"y=1", "y=-1", "x=1", "--color", "#FF0000", "--thick", "-o", png, "--json"});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    const QJsonArray equations = json(result.out).value("equations").toArray();
    ASSERT_EQ(equations.size(), 3);
    std::vector<QString> colours;
    for (const auto& equation : equations) {
        colours.push_back(equation.toObject().value("color").toString());
    }
    EXPECT_EQ(colours[0], "FF0000");
    EXPECT_NE(colours[1], colours[0]);
    EXPECT_NE(colours[2], colours[0]);
    EXPECT_NE(colours[2], colours[1]);

    const QImage image = load(png);
    const Viewport v = defaults();
    const std::vector<QPoint> places = {
        QPoint(static_cast<int>(v.column(-2.05)), static_cast<int>(v.row(1.0))),
        QPoint(static_cast<int>(v.column(-2.05)), static_cast<int>(v.row(-1.0))),
        QPoint(static_cast<int>(v.column(1.0)), static_cast<int>(v.row(-2.05)))};
    for (std::size_t i = 0; i < places.size(); ++i) {
        const QRgb expected = QColor(u'#' + colours[i]).rgb();
        bool seen = false;
        for (int d = -1; d <= 1; ++d) {
            const QPoint p = places[i] + (i < 2 ? QPoint(0, d) : QPoint(d, 0));
            seen = seen || near(image.pixel(p), expected, 3);
        }
        EXPECT_TRUE(seen) << colours[i].toStdString();
    }

    // Thick lines are twice as wide.
    const auto redPixels = [](const QImage& picture) {
        int count = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                count += isRed(picture.pixel(x, y)) ? 1 : 0;
            }
        }
        return count;
    };
    const int thin = redPixels(render({"y=x^2", "--color", "FF0000"}, "thin.png"));
    const int thick = redPixels(render({"y=x^2", "--color", "FF0000", "--thick"}, "thick.png"));
    EXPECT_GT(thin, 100);
    EXPECT_GT(thick, thin * 3 / 2);
}

TEST_F(RenderCommand, OptionFormsThatMeanTheSameDrawTheSame) {
    const QImage both = render({"y=sin(x)", "--ratio", "40", "40"}, "a.png");
    EXPECT_EQ(render({"y=sin(x)", "--ratio", "40"}, "b.png"), both);
    EXPECT_EQ(render({"--ratio=40", "y=sin(x)"}, "c.png"), both);
    EXPECT_NE(render({"y=sin(x)", "--ratio", "40", "20"}, "d.png"), both);
    // A derivative is carried out before drawing.
    EXPECT_EQ(render({"y=d/dx(x^2)"}, "e.png"), render({"y=2x"}, "f.png"));
    // The bounds of the view's zoom are usable.
    EXPECT_FALSE(render({"y=x", "--ratio", "1e7", "--size", "1x1"}, "g.png").isNull());
    EXPECT_FALSE(render({"y=x", "--ratio", "1e-7", "--size", "16384x1"}, "h.png").isNull());
}

TEST_F(RenderCommand, SuccessNamesTheFile) {
    const std::string png = file("plain.png");
    const CommandRun plain = run({"y=x", "-o", png});
    ASSERT_EQ(plain.status, kExitSuccess) << plain.err;
    EXPECT_EQ(plain.out, png + "\n");
    EXPECT_TRUE(plain.err.empty());

    const std::string other = file("other.png");
    const CommandRun reply = run({"--json", "y=x", "x^2+y^2<4", "--output", other, "--size",
                                  "320x200", "--ratio", "10", "20"});
    ASSERT_EQ(reply.status, kExitSuccess) << reply.err;
    EXPECT_EQ(lineCount(reply.out), 1u);
    const QJsonObject object = json(reply.out);
    EXPECT_TRUE(object.value("ok").toBool());
    EXPECT_EQ(object.value("file").toString().toStdString(), other);
    EXPECT_EQ(object.value("width").toInt(), 320);
    EXPECT_EQ(object.value("height").toInt(), 200);
    const QJsonArray equations = object.value("equations").toArray();
    ASSERT_EQ(equations.size(), 2);
    EXPECT_EQ(equations[0].toObject().value("expression").toString(), "y=x");
    EXPECT_EQ(equations[0].toObject().value("type").toInt(), 1);
    EXPECT_GT(equations[0].toObject().value("dataObjectCount").toInt(), 0);
    EXPECT_EQ(equations[1].toObject().value("type").toInt(), 7);
    // The palette's colour, half transparent: eight digits, alpha last.
    EXPECT_TRUE(equations[1].toObject().value("color").toString().endsWith("80"));
    EXPECT_EQ(load(other).size(), QSize(320, 200));
}

TEST_F(RenderCommand, BadUsageIsExitTwo) {
    const std::string png = file("never.png");
    const std::vector<std::vector<std::string>> bad = {
        {"-o", png},
        {"y=x"},
        {"y=x", "-o"},
        {"y=x", "-o", ""},
        {"y=x", "-o", png, "--size", "0x600"},
        {"y=x", "-o", png, "--size", "800x0"},
        {"y=x", "-o", png, "--size", "16385x10"},
        {"y=x", "-o", png, "--size", "-800x600"},
        {"y=x", "-o", png, "--size", "800"},
        {"y=x", "-o", png, "--size", "800x600x2"},
        {"y=x", "-o", png, "--size", "800.5x600"},
        {"y=x", "-o", png, "--size"},
        {"y=x", "-o", png, "--ratio", "0"},
        {"y=x", "-o", png, "--ratio", "-80"},
        {"y=x", "-o", png, "--ratio", "nan"},
        {"y=x", "-o", png, "--ratio", "inf"},
        {"y=x", "-o", png, "--ratio", "1.0000001e7"},
        {"y=x", "-o", png, "--ratio", "0.99e-7"},
        {"y=x", "-o", png, "--ratio", "80", "0"},
        {"y=x", "-o", png, "--ratio", "80", "2e7"},
        {"y=x", "-o", png, "--ratio=", "80"},
        {"y=x", "-o", png, "--ratio"},
        {"y=x", "-o", png, "--center", "1"},
        {"y=x", "-o", png, "--center", "1", "two"},
        {"y=x", "-o", png, "--center", "nan", "0"},
        {"y=x", "-o", png, "--center", "0", "-inf"},
        {"y=x", "-o", png, "--color", "GG0000"},
        {"y=x", "-o", png, "--color", "12345"},
        {"y=x", "-o", png, "--color"},
        {"y=x", "-o", png, "--color", "FF0000", "--color", "00FF00"},
        {"y=x", "-o", png, "--tablet"},
    };
    for (const auto& arguments : bad) {
        std::string line;
        for (const std::string& word : arguments) {
            line += word + " ";
        }
        SCOPED_TRACE(line);
        const CommandRun result = run(arguments);
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_TRUE(result.out.empty());
        EXPECT_EQ(result.err.rfind("plotwise-cli: ", 0), 0u) << result.err;
        EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(png)));
}

TEST_F(RenderCommand, AnExpressionThatDoesNotParseIsNamedWithItsPosition) {
    const std::string png = file("bad.png");
    const CommandRun plain = run({"y=x", "sin x", "-o", png});
    EXPECT_EQ(plain.status, kExitInputFailure);
    EXPECT_TRUE(plain.out.empty());
    EXPECT_EQ(plain.err, "error at 4: \"(\" expected in 'sin x'\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(png)));

    // The same report as eval's, with the expression named.
    std::vector<std::string> evalArguments = {"sin x"};
    std::ostringstream evalOut;
    std::ostringstream evalErr;
    EXPECT_EQ(runEval(Arguments(evalArguments.data(), 1), evalOut, evalErr), kExitInputFailure);
    EXPECT_EQ(plain.err.rfind(evalErr.str().substr(0, evalErr.str().size() - 1), 0), 0u)
        << evalErr.str();

    const CommandRun reply = run({"y=(", "--json", "-o", png});
    EXPECT_EQ(reply.status, kExitInputFailure);
    const QJsonObject object = json(reply.out);
    EXPECT_FALSE(object.value("ok").toBool(true));
    EXPECT_EQ(object.value("position").toInt(), 2);
    EXPECT_EQ(object.value("error").toString(), "Expression expected in 'y=('");
    EXPECT_EQ(reply.err, "error at 2: Expression expected in 'y=('\n");
}

TEST_F(RenderCommand, AnUnwritableFileIsAnInputFailure) {
    for (const std::string& target :
         {file("missing-folder/x.png"), dir_.path().toStdString(), std::string("/proc/x.png")}) {
        SCOPED_TRACE(target);
        const CommandRun plain = run({"y=x", "-o", target});
        EXPECT_EQ(plain.status, kExitInputFailure);
        EXPECT_TRUE(plain.out.empty());
        EXPECT_EQ(plain.err.rfind("error: cannot write " + target + ": ", 0), 0u) << plain.err;
        EXPECT_EQ(lineCount(plain.err), 1u) << plain.err;
        const CommandRun reply = run({"y=x", "-o", target, "--json"});
        EXPECT_EQ(reply.status, kExitInputFailure);
        EXPECT_FALSE(json(reply.out).value("ok").toBool(true));
    }
}

// The program itself, with no display and no platform chosen: it makes its own offscreen
// application and draws what the command draws in this process.
TEST_F(RenderCommand, TheProgramDrawsTheSamePicture) {
    const std::string png = file("program.png");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PLOTWISE_CLI),
                  {"render", "y=x^2", "x^2+y^2<4", "--dark", "--center", "1", "1", "-o",
                   QString::fromStdString(png)});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), kExitSuccess);
    EXPECT_EQ(process.readAllStandardError().toStdString(), "");
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), png + "\n");
    const QImage drawn = render({"y=x^2", "x^2+y^2<4", "--dark", "--center", "1", "1"}, "here.png");
    EXPECT_EQ(load(png), drawn);

    QProcess help;
    help.start(QStringLiteral(PLOTWISE_CLI), {"--help"});
    ASSERT_TRUE(help.waitForFinished(60000));
    EXPECT_NE(help.readAllStandardOutput().indexOf("render EXPR... -o FILE.png"), -1);
}

}  // namespace
}  // namespace plotwise::cli
