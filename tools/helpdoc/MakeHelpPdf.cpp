// plotwise-helpdoc INPUT.html OUTPUT.pdf: lays out an HTML page with QTextDocument and prints it
// to an A5 PDF with QPdfWriter, offscreen unless QT_QPA_PLATFORM says otherwise.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
    // A build step needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: plotwise-helpdoc INPUT.html OUTPUT.pdf\n", stderr);
        return 2;
    }
    QFile input(arguments.at(1));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "plotwise-helpdoc: %s: %s\n", qPrintable(arguments.at(1)),
                     qPrintable(input.errorString()));
        return 1;
    }
    QTextDocument document;
    document.setHtml(QString::fromUtf8(input.readAll()));

    QPdfWriter writer(arguments.at(2));
    writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
    writer.setCreator(QStringLiteral("plotwise-helpdoc"));
    writer.setPageSize(QPageSize(QPageSize::A5));
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    writer.setResolution(144);
    // Laid out at the writer's own resolution and page, so print() draws it as it is, not
    // scaled down from a screen layout.
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(writer.pageLayout().paintRectPixels(writer.resolution()).size());
    document.print(&writer);
    // QPdfWriter reports no failure; an empty or missing file is one.
    QFile output(arguments.at(2));
    if (!output.exists() || output.size() == 0) {
        std::fprintf(stderr, "plotwise-helpdoc: %s could not be written\n",
                     qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
