#pragma once

#include <QLatin1String>
#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

#include "app/storage/PropertyList.h"
#include "equations/RVEquation.h"

namespace plotwise {

// The libraries of saved equations: one property-list file per plane in
// QStandardPaths::AppDataLocation, an array of equation state dictionaries in the order shown.
// When a file is missing (or cannot be read) the built-in examples take its place; they are not
// written until the library changes.
class LibraryStorage {
public:
    static constexpr QLatin1String library2DFileName{"expressions2D.plist"};
    static constexpr QLatin1String library3DFileName{"expressions3D.plist"};
    // The context of the examples' captions and notes in the translations.
    static constexpr char translationContext[] = "Library";

    enum class Source {
        File,
        // No file: the examples.
        Examples,
        // A file that is not a readable property-list array: the examples, and the file is left
        // untouched until a save moves it aside.
        ExamplesInsteadOfUnreadableFile,
    };

    struct Library {
        std::vector<std::unique_ptr<RVEquation>> equations;
        Source source = Source::Examples;
        // Items that gave no equation (unparseable text, other kinds).
        int skippedItems = 0;
        // Those items themselves, in file order: a save writes them back after the shown
        // entries, so reading them with this version never loses them.
        QVariantList unreadItems;
        // Why the file could not be read.
        QString error;
    };

    LibraryStorage() = delete;

    static QString libraryFilePath(const QString& fileName);

    // The library as the library screen shows it. Variables of the equations read from `table`,
    // which must outlive them.
    static Library loadLibrary(const QString& fileName, double* table);

    // Equations from the items of a library file, in order: a dictionary is a state dictionary,
    // a text an expression source (simplified when it holds a derivative); anything else, and
    // whatever does not parse, is skipped and counted in `skipped`.
    static std::vector<std::unique_ptr<RVEquation>> equationsFromItems(
        const QVariantList& items, double* table, int* skipped = nullptr,
        QVariantList* unread = nullptr);
    // The library from what reading the file gave, as loadLibrary makes it.
    static Library libraryFromRead(const QString& fileName, const PropertyList::ReadResult& read,
                                   double* table);

    // The state dictionaries of the built-in examples, captions and notes translated: the 2D
    // set when `fileName` contains "2D", else the 3D set.
    static QVariantList exampleStates(const QString& fileName);
};

}  // namespace plotwise
