#include "cli/LibraryCommand.h"

#include <QCoreApplication>
#include <ostream>

#include "app/storage/ApplicationIdentity.h"
#include "app/storage/LibraryStorage.h"
#include "cli/JsonWriter.h"
#include "cli/Usage.h"
#include "engine/VariableTable.h"
#include "equations/ColorText.h"

namespace plotwise::cli {

namespace {

// One line per equation: tabs and line ends inside a text become blanks.
std::string oneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            c = u' ';
        }
    }
    return line.toStdString();
}

}  // namespace

int runLibrary(Arguments arguments, std::ostream& out, std::ostream& err) {
    bool json = false;
    bool is3D = false;
    CommandLine line("library");
    line.flag("--json", json);
    line.flag("--3d", is3D);
    if (const auto status = parseCommandLine(line, arguments, commandUsage("library"), out, err)) {
        return *status;
    }
    // "--" included: nothing may follow the command.
    if (!line.remaining().empty()) {
        const std::string& word = line.remaining().front();
        return usageError(err, word.starts_with("-")
                                   ? "unknown option '" + word + "'"
                                   : "library takes no argument, got '" + word + "'");
    }

    // The data folder follows the application's names and the XDG variables.
    int argc = 1;
    char programName[] = "plotwise-cli";
    char* argv[] = {programName, nullptr};
    QCoreApplication application(argc, argv);
    applyApplicationIdentity();

    const QString fileName =
        is3D ? LibraryStorage::library3DFileName : LibraryStorage::library2DFileName;
    VariableTable table{};
    const LibraryStorage::Library library = LibraryStorage::loadLibrary(fileName, table.data());
    if (library.source == LibraryStorage::Source::ExamplesInsteadOfUnreadableFile) {
        err << "plotwise-cli: " << LibraryStorage::libraryFilePath(fileName).toStdString()
            << " cannot be read (" << library.error.toStdString() << "); showing the examples\n";
    }

    if (!json) {
        for (const auto& equation : library.equations) {
            out << oneLine(QString::fromStdU16String(equation->expression()->expressionString()))
                << '\t' << oneLine(equation->caption()) << '\n';
        }
        return kExitSuccess;
    }
    JsonWriter writer;
    writer.beginArray();
    for (const auto& equation : library.equations) {
        writer.beginObject()
            .key("expressionString")
            .value(
                QString::fromStdU16String(equation->expression()->expressionString()).toStdString())
            .key("caption")
            .value(equation->caption().toStdString())
            .key("notes")
            .value(equation->notes().toStdString())
            .key("type")
            .value(toInt(equation->type()))
            .key("color");
        if (equation->color().isValid()) {
            writer.value(hexStringFromColor(equation->color()).toStdString());
        } else {
            writer.null();
        }
        writer.key("visible").value(equation->visible()).endObject();
    }
    writer.endArray();
    out << writer.text() << '\n';
    return kExitSuccess;
}

}  // namespace plotwise::cli
