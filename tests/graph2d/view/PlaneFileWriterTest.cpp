#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QTemporaryDir>

#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph2d/EquationModel2D.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/view/PlaneFileWriter.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {
namespace {

// A plane with two curves and a half-transparent region, written as the share menu writes it.
class PlaneFileWriterTest : public ::testing::Test {
protected:
    PlaneFileWriterTest() {
        view.resize(320, 240);
        view.setModel(&plane);
        add("y=x^2", QColor(255, 0, 0));
        add("y=sin(3x)", QColor(0, 0, 255));
        add("x^2+y^2<1", QColor(0, 160, 0, 128));
    }

    void add(const char* text, QColor color) {
        ParsedExpression parsed = parseExpression(toUtf16(text), table.data());
        ASSERT_TRUE(parsed.tree) << text;
        auto equation = RVEquation2D::equation2DwithOperationTree(std::move(parsed.tree));
        equation->setColor(color);
        plane.appendEquation(std::move(equation));
    }

    std::optional<QString> write(const QString& path, PlaneFileFormat format) {
        return PlaneFileWriter::write(path, format, view.size(), [this](QPainter& painter) {
            view.drawPlane(painter, QSizeF(view.size()));
        });
    }

    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    VariableTable table{};
    EquationModel2D plane;
    RVEquation2DView view;
    QTemporaryDir folder;
};

TEST_F(PlaneFileWriterTest, FormatsAreNamedOrTakenFromTheExtension) {
    const std::vector<std::pair<QString, PlaneFileFormat>> names = {
        {"b/A.SVG", PlaneFileFormat::Svg},
        {"a.pdf", PlaneFileFormat::Pdf},
        {"a.svg.jpg", PlaneFileFormat::Png},
        {"svg", PlaneFileFormat::Png}};
    for (const auto& [name, format] : names) {
        EXPECT_EQ(PlaneFileWriter::formatForFileName(name), format) << name.toStdString();
        EXPECT_EQ(PlaneFileWriter::formatNamed(PlaneFileWriter::formatName(format).toUpper()),
                  format);
    }
    EXPECT_FALSE(PlaneFileWriter::formatNamed("gif"));
}

// The PNG is the screen's picture; the SVG holds each curve as a stroked path in its colour, the
// region as a filled shape and the labels as text; the PDF is one page of the plane's size in
// points that renders to the PNG's picture within antialiasing.
TEST_F(PlaneFileWriterTest, EachFormatHoldsThePlaneAsTheScreenDrawsIt) {
    ASSERT_TRUE(folder.isValid());
    ASSERT_FALSE(write(path("plane.png"), PlaneFileFormat::Png));
    QImage screen(view.size(), QImage::Format_RGB32);
    {
        QPainter painter(&screen);
        view.drawPlane(painter, QSizeF(view.size()));
    }
    const QImage png(path("plane.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), screen);

    ASSERT_FALSE(write(path("plane.svg"), PlaneFileFormat::Svg));
    QFile svgFile(path("plane.svg"));
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QByteArray svg = svgFile.readAll();
    // Vectors, not a picture: the curves' strokes, the region's fill and the labels as text.
    EXPECT_FALSE(svg.contains("<image"));
    for (const char* piece :
         {"stroke=\"#ff0000\"", "stroke=\"#0000ff\"", "fill=\"#00a000\"", ">-1</text>"}) {
        EXPECT_TRUE(svg.contains(piece)) << piece;
    }

    ASSERT_FALSE(write(path("plane.pdf"), PlaneFileFormat::Pdf));
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(path("plane.pdf")), QPdfDocument::Error::None);
    ASSERT_EQ(pdf.pageCount(), 1);
    EXPECT_EQ(pdf.pagePointSize(0), QSizeF(320, 240));
    const QImage page = pdf.render(0, view.size()).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(page.size(), screen.size());
    // Lines and text are antialiased differently; the picture is the same where it is smooth.
    const QImage a = screen.scaled(80, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = page.scaled(80, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int far = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            far += d > 48 ? 1 : 0;
        }
    }
    EXPECT_LT(far, a.width() * a.height() / 100) << far;
}

// A write that fails says why and leaves nothing behind; a file already there survives.
TEST_F(PlaneFileWriterTest, FailedWritesGiveTheReason) {
    for (const PlaneFileFormat format :
         {PlaneFileFormat::Png, PlaneFileFormat::Svg, PlaneFileFormat::Pdf}) {
        SCOPED_TRACE(PlaneFileWriter::formatName(format).toStdString());
        EXPECT_EQ(write("/dev/full", format), QString("No space left on device"));
        const QString missing = path("no/such/folder/plane");
        EXPECT_TRUE(write(missing, format).has_value());
        EXPECT_FALSE(QFile::exists(missing));
        EXPECT_TRUE(PlaneFileWriter::write(path("empty"), format, QSize(0, 10), [](QPainter&) {
                    }).has_value());
        EXPECT_FALSE(QFile::exists(path("empty")));
    }
}

}  // namespace
}  // namespace plotwise
