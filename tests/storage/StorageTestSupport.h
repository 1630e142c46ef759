#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

// Helpers of the storage tests. The test program points HOME and the XDG folders at a temporary
// folder before anything reads them, so no test touches the user's files.
namespace plotwise::testing {

// The temporary root that stands in for the user's home and XDG folders.
QString testRoot();
// QStandardPaths::AppConfigLocation and AppDataLocation, checked to lie under testRoot().
QString configFolder();
QString dataFolder();
// Empties both folders.
void clearStorageFolders();

bool writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);
QStringList folderEntries(const QString& folder);

// Exact equality of plist values: doubles bit for bit (NaN equals NaN, 0 differs from -0),
// integers by value whatever their C++ width, containers item by item. On a difference,
// `where` names it.
bool sameValue(const QVariant& a, const QVariant& b, QString* where = nullptr);

}  // namespace plotwise::testing
