#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace plotwise {

class RVEquation;

// What a shared mail carries: one image per visible equation (expression0.png,
// expression1.png, ...) and the graph (graph.png, last), and a plain-text body listing the
// equations' texts exactly as typed.
class MailAttachments {
public:
    // Left of the formula: a dot in the equation's colour.
    static constexpr double formulaLeft = 22.0;
    static constexpr double dotLeft = 2.0;
    static constexpr double dotSide = 16.0;
    // The formula's nesting depth, as the formula viewer draws it.
    static constexpr unsigned formulaDepth = 2;

    // The image for one equation, `devicePixelRatio` pixels per point: its formula in its
    // colour made opaque with a black shadow at (22, 0), and a 16-point circle at
    // (2, (h - 20) / 2) filled with its colour and stroked black; (w + 22, h) points for a
    // formula of (w, h). A formula too large for an image leaves only the circle.
    static QImage equationImage(const RVEquation& equation, qreal devicePixelRatio);

    // Each visible equation's text and "\n", then "\nCreated with Plotwise " and the project
    // page.
    static QString body(const QList<const RVEquation*>& equations);

    struct Written {
        QStringList files;  // in attaching order, graph.png last
        QString error;      // what failed, empty when all were written
        bool ok() const { return error.isEmpty(); }
    };
    // Writes the visible equations' images and the graph into `folder`.
    static Written write(const QString& folder, const QList<const RVEquation*>& equations,
                         const QImage& graph, qreal devicePixelRatio);
};

}  // namespace plotwise
