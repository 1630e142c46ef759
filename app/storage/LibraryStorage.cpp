#include "app/storage/LibraryStorage.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include "app/examples/BuiltInExamples.h"
#include "app/storage/PropertyList.h"
#include "engine/RVParser.h"

namespace plotwise {

namespace {

QString translated(const char* english) {
    // An empty key would fetch a translation's header instead of an empty text.
    if (*english == '\0') {
        return QString();
    }
    return QCoreApplication::translate(LibraryStorage::translationContext, english);
}

}  // namespace

QString LibraryStorage::libraryFilePath(const QString& fileName) {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u'/' + fileName;
}

LibraryStorage::Library LibraryStorage::loadLibrary(const QString& fileName, double* table) {
    const PropertyList::ReadResult read = PropertyList::readFile(libraryFilePath(fileName));
    return libraryFromRead(fileName, read, table);
}

LibraryStorage::Library LibraryStorage::libraryFromRead(const QString& fileName,
                                                        const PropertyList::ReadResult& read,
                                                        double* table) {
    Library library;
    if (read.ok() && read.value.typeId() == QMetaType::QVariantList) {
        library.source = Source::File;
        library.equations = equationsFromItems(read.value.toList(), table, &library.skippedItems,
                                               &library.unreadItems);
        return library;
    }
    if (read.status != PropertyList::Status::Missing) {
        library.source = Source::ExamplesInsteadOfUnreadableFile;
        library.error = read.ok() ? QStringLiteral("the file does not hold an array") : read.error;
    }
    library.equations = equationsFromItems(exampleStates(fileName), table, &library.skippedItems);
    return library;
}

std::vector<std::unique_ptr<RVEquation>> LibraryStorage::equationsFromItems(
    const QVariantList& items, double* table, int* skipped, QVariantList* unread) {
    std::vector<std::unique_ptr<RVEquation>> equations;
    equations.reserve(static_cast<size_t>(items.size()));
    int dropped = 0;
    RVParser parser;
    for (const QVariant& item : items) {
        std::unique_ptr<RVEquation> equation;
        if (item.typeId() == QMetaType::QVariantMap) {
            equation = RVEquation::equationWithStateFromDictionary(item.toMap(), table);
        } else if (item.typeId() == QMetaType::QString) {
            if (auto tree = parser.parse(item.toString().toStdU16String(), table)) {
                if (tree->containsDerivative()) {
                    tree->simplify();
                }
                if (!tree->simplificationExhausted()) {
                    equation = RVEquation::equationWithOperationTree(std::move(tree));
                }
            }
        }
        if (equation) {
            equations.push_back(std::move(equation));
        } else {
            ++dropped;
            if (unread) {
                unread->append(item);
            }
        }
    }
    if (skipped) {
        *skipped = dropped;
    }
    return equations;
}

QVariantList LibraryStorage::exampleStates(const QString& fileName) {
    const bool is2D = fileName.contains(u"2D");
    QVariantList states;
    const auto append = [&states](const auto& set) {
        for (const BuiltInExample& example : set) {
            QVariantMap state;
            state.insert(RVEquation::expressionStringKey, QString::fromUtf8(example.source));
            state.insert(RVEquation::expressionColorKey, QStringLiteral("000000"));
            state.insert(RVEquation::expressionCaptionKey, translated(example.caption));
            state.insert(RVEquation::expressionNotesKey, translated(example.notes));
            states.append(state);
        }
    };
    if (is2D) {
        append(kBuiltInExamples2D);
    } else {
        append(kBuiltInExamples3D);
    }
    return states;
}

}  // namespace plotwise
