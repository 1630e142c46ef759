#include "StorageTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cmath>
#include <cstring>

namespace plotwise::testing {

namespace {

bool isSignedInteger(int type) {
    return type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Long ||
           type == QMetaType::Short || type == QMetaType::SChar;
}

bool isUnsignedInteger(int type) {
    return type == QMetaType::UInt || type == QMetaType::ULongLong || type == QMetaType::ULong ||
           type == QMetaType::UShort || type == QMetaType::UChar;
}

bool isReal(int type) {
    return type == QMetaType::Double || type == QMetaType::Float;
}

QString checkedFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    if (!folder.startsWith(testRoot() + u'/')) {
        qFatal("storage folder %s lies outside the test root", qPrintable(folder));
    }
    return folder;
}

bool differ(QString* where, const QString& text) {
    if (where) {
        *where = text;
    }
    return false;
}

}  // namespace

QString testRoot() {
    return QDir::cleanPath(qEnvironmentVariable("PLOTWISE_TEST_ROOT"));
}

QString configFolder() {
    return checkedFolder(QStandardPaths::AppConfigLocation);
}

QString dataFolder() {
    return checkedFolder(QStandardPaths::AppDataLocation);
}

void clearStorageFolders() {
    for (const QString& folder : {configFolder(), dataFolder()}) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

bool sameValue(const QVariant& a, const QVariant& b, QString* where) {
    const int ta = a.typeId();
    const int tb = b.typeId();
    if (isReal(ta) && isReal(tb)) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        if ((std::isnan(x) && std::isnan(y)) || std::memcmp(&x, &y, sizeof x) == 0) {
            return true;
        }
        return differ(where, QStringLiteral("%1 != %2").arg(x, 0, 'g', 17).arg(y, 0, 'g', 17));
    }
    if (isSignedInteger(ta) && isSignedInteger(tb)) {
        return a.toLongLong() == b.toLongLong() ||
               differ(where, QStringLiteral("%1 != %2").arg(a.toLongLong()).arg(b.toLongLong()));
    }
    if ((isSignedInteger(ta) || isUnsignedInteger(ta)) &&
        (isSignedInteger(tb) || isUnsignedInteger(tb))) {
        const bool negativeA = isSignedInteger(ta) && a.toLongLong() < 0;
        const bool negativeB = isSignedInteger(tb) && b.toLongLong() < 0;
        return (!negativeA && !negativeB && a.toULongLong() == b.toULongLong()) ||
               differ(where, QStringLiteral("integers differ"));
    }
    if (ta != tb) {
        return differ(
            where, QStringLiteral("kind %1 != %2")
                       .arg(QString::fromLatin1(a.typeName()), QString::fromLatin1(b.typeName())));
    }
    if (ta == QMetaType::QVariantList) {
        const QVariantList la = a.toList();
        const QVariantList lb = b.toList();
        if (la.size() != lb.size()) {
            return differ(where,
                          QStringLiteral("array sizes %1 != %2").arg(la.size()).arg(lb.size()));
        }
        for (qsizetype i = 0; i < la.size(); ++i) {
            QString inner;
            if (!sameValue(la[i], lb[i], &inner)) {
                return differ(where, QStringLiteral("[%1]: %2").arg(i).arg(inner));
            }
        }
        return true;
    }
    if (ta == QMetaType::QVariantMap) {
        const QVariantMap ma = a.toMap();
        const QVariantMap mb = b.toMap();
        if (ma.keys() != mb.keys()) {
            return differ(where, QStringLiteral("keys {%1} != {%2}")
                                     .arg(ma.keys().join(u','), mb.keys().join(u',')));
        }
        for (auto it = ma.begin(); it != ma.end(); ++it) {
            QString inner;
            if (!sameValue(it.value(), mb.value(it.key()), &inner)) {
                return differ(where, QStringLiteral("\"%1\": %2").arg(it.key(), inner));
            }
        }
        return true;
    }
    if (a == b) {
        return true;
    }
    return differ(where, QStringLiteral("\"%1\" != \"%2\"").arg(a.toString(), b.toString()));
}

}  // namespace plotwise::testing
