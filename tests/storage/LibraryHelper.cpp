// A second Plotwise process for the library tests: "save N TAG" opens the 2D library as a
// library screen does and saves it N times, each time with the first entry's caption set to
// "TAG i"; it exits with 0 only when every save landed.
#include <QCoreApplication>
#include <cstdio>

#include "app/storage/ApplicationIdentity.h"
#include "app/storage/LibraryFile.h"
#include "engine/VariableTable.h"

int main(int argc, char** argv) {
    using namespace plotwise;
    QCoreApplication application(argc, argv);
    applyApplicationIdentity();
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4 || arguments[1] != QLatin1String("save")) {
        std::fputs("usage: plotwise-tests-library-helper save N TAG\n", stderr);
        return 2;
    }
    const int count = arguments[2].toInt();
    VariableTable table{};
    LibraryFile file(QString(LibraryStorage::library2DFileName));
    LibraryStorage::Library library = file.load(table.data());
    if (library.equations.empty()) {
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        library.equations[0]->setCaption(arguments[3] + u' ' + QString::number(i));
        const LibraryFile::SaveResult saved = file.save(dictionariesWithState(library.equations));
        if (!saved.saved) {
            std::fputs(qPrintable(saved.error + u'\n'), stderr);
            return 1;
        }
    }
    return 0;
}
