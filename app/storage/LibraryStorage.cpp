#include "LibraryStorage.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include "PropertyList.h"
#include "RVParser.h"

namespace plotwise {

namespace {

struct Example {
    const char* source;  // UTF-8
    const char* caption;
    const char* notes;
};

// clang-format off
constexpr Example examples2D[] = {
    {"y=x^2",
     QT_TRANSLATE_NOOP("Library", "Cartesian example - Parabola"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation")},
    {"y=d/dx(sin(x)-cos(x))^2",
     QT_TRANSLATE_NOOP("Library", "Cartesian Example - Derivative"),
     QT_TRANSLATE_NOOP("Library", "Example of an equation with a derivative")},
    {"x=e^(y-2)",
     QT_TRANSLATE_NOOP("Library", "Cartesian Example - Using exponential"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation that uses an exponential")},
    {"r=4*cos(Θ)",
     QT_TRANSLATE_NOOP("Library", "Polar Example - Circle"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=1-2*sin(Θ)",
     QT_TRANSLATE_NOOP("Library", "Polar example - Limaçons (Snails)"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=2*cos(4Θ)",
     QT_TRANSLATE_NOOP("Library", "Polar example - Rose"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=sin(Θ)-1",
     QT_TRANSLATE_NOOP("Library", "Polar example - Cardioid"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=sin(2^Θ)-1.7",
     QT_TRANSLATE_NOOP("Library", "Another polar example"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"x^2 + x*y + y^2 - 2^2",
     QT_TRANSLATE_NOOP("Library", "Implicit cartesian example - Ellipse"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
    {"sin(x) - cos(y)^2",
     QT_TRANSLATE_NOOP("Library", "Another implicit cartesian Example"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
    {"r^2=2^2*sin(2Θ)",
     QT_TRANSLATE_NOOP("Library", "Implicit polar example - Lemniscates"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit polar equation")},
    {"r^2=sin(3Θ)^2+cos(0.8-r)",
     QT_TRANSLATE_NOOP("Library", "Another implicit polar equation"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit polar equation")},
    {"y<sin(5r)",
     QT_TRANSLATE_NOOP("Library", "Inequality example"),
     QT_TRANSLATE_NOOP("Library", "Example of an inequality")},
};

constexpr Example examples3D[] = {
    {"z=y^2/16-x^2/25",
     QT_TRANSLATE_NOOP("Library", "Cartesian example - Hyperbolic paraboloid"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation")},
    {"z=abs(cos(x)*sin(y))",
     QT_TRANSLATE_NOOP("Library", "Another cartesian example"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation")},
    {"x=d/dz(e^(-4(z^2+y^2)))",
     QT_TRANSLATE_NOOP("Library", "Cartesian Example - Derivative"),
     QT_TRANSLATE_NOOP("Library", "Example of an equation with a derivative")},
    {"r=2sin(4Θ+cos(4Φ))",
     QT_TRANSLATE_NOOP("Library", "Spherical Example - Rose"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"r=2sin(5Φ)",
     QT_TRANSLATE_NOOP("Library", "Spherical Example - Decorative"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"Φ=3-sin(3Θ+r)",
     QT_TRANSLATE_NOOP("Library", "Spherical Example - Sphiral"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"Θ=sin(Φ+r)/2",
     QT_TRANSLATE_NOOP("Library", "Spheric Example - Waves"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"r=Θ-sin(z)",
     QT_TRANSLATE_NOOP("Library", "Cylindrical Example - Tube"),
     QT_TRANSLATE_NOOP("Library", "Example of a cylindrical equation")},
    {"z=100*sin(7r)/(1+r)^2",
     QT_TRANSLATE_NOOP("Library", "Cylindrical Example - UFO"),
     QT_TRANSLATE_NOOP("Library", "Example of a cylindrical equation")},
    {"Θ=r+cos(1/z)",
     "",
     QT_TRANSLATE_NOOP("Library", "Example of a cylindrical equation")},
    {"(x^4+y^4+z^4)/10=50",
     QT_TRANSLATE_NOOP("Library", "Implicit cartesian example - Cube"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
    {"r^2/5=10*cos(4Θ)",
     QT_TRANSLATE_NOOP("Library", "Implicit spherical example - Spin"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit spherical equation")},
    {"(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0",
     QT_TRANSLATE_NOOP("Library", "Cartesian inequality example - Torus"),
     QT_TRANSLATE_NOOP("Library", "Example of an inequality")},
    {"320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)=0",
     QT_TRANSLATE_NOOP("Library", "Implicit cartesian example - Heart"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
};
// clang-format on

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
    Library library;
    const PropertyList::ReadResult read = PropertyList::readFile(libraryFilePath(fileName));
    QVariantList items;
    if (read.ok() && read.value.typeId() == QMetaType::QVariantList) {
        library.source = Source::File;
        items = read.value.toList();
    } else {
        if (read.status != PropertyList::Status::Missing) {
            library.source = Source::ExamplesInsteadOfUnreadableFile;
            library.error =
                read.ok() ? QStringLiteral("the file does not hold an array") : read.error;
        }
        items = exampleStates(fileName);
    }
    library.equations = equationsFromItems(items, table, &library.skippedItems);
    return library;
}

std::vector<std::unique_ptr<RVEquation>> LibraryStorage::equationsFromItems(
    const QVariantList& items, double* table, int* skipped) {
    std::vector<std::unique_ptr<RVEquation>> equations;
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
        for (const Example& example : set) {
            QVariantMap state;
            state.insert(RVEquation::expressionStringKey, QString::fromUtf8(example.source));
            state.insert(RVEquation::expressionColorKey, QStringLiteral("000000"));
            state.insert(RVEquation::expressionCaptionKey, translated(example.caption));
            state.insert(RVEquation::expressionNotesKey, translated(example.notes));
            states.append(state);
        }
    };
    if (is2D) {
        append(examples2D);
    } else {
        append(examples3D);
    }
    return states;
}

bool LibraryStorage::saveLibraryStates(const QString& fileName, const QVariantList& states,
                                       QString* keptAside) {
    const QString path = libraryFilePath(fileName);
    const PropertyList::ReadResult existing = PropertyList::readFile(path);
    const bool readable = existing.status == PropertyList::Status::Missing ||
                          (existing.ok() && existing.value.typeId() == QMetaType::QVariantList);
    if (!readable) {
        const QString aside = PropertyList::keepAside(path);
        if (aside.isEmpty()) {
            return false;
        }
        if (keptAside) {
            *keptAside = aside;
        }
    }
    return PropertyList::writeFile(path, states);
}

}  // namespace plotwise
