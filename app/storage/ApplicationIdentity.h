#pragma once

#include <QCoreApplication>
#include <QString>

// The names under which the application and the command line keep their files
// (QStandardPaths: <config>/Plotwise/plotwise and <data>/Plotwise/plotwise on Linux). Both set
// them the same way, so the command line sees what the application stored.
namespace plotwise {

inline constexpr char kOrganizationName[] = "Plotwise";
inline constexpr char kApplicationName[] = "plotwise";
// Where the application points people: its web page and the address for comments.
inline constexpr char kProjectPage[] = "https://plotwise.org";
inline constexpr char kSupportAddress[] = "support@plotwise.org";

inline void applyApplicationIdentity() {
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
}

}  // namespace plotwise
