#pragma once

#include <QString>
#include <QStringList>

namespace plotwise {

// Which plane a command-line expression belongs on: one that uses z or Φ goes to the 3D plane,
// anything else (also text that does not parse, which the 2D plane then reports) to the 2D one.
struct ExpressionRouting {
    QStringList expressions2D;
    QStringList expressions3D;

    static bool needs3DPlane(const QString& text);
    // `allIn3D` (--3d) sends every expression to the 3D plane.
    static ExpressionRouting route(const QStringList& expressions, bool allIn3D);
};

}  // namespace plotwise
