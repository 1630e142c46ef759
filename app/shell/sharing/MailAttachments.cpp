#include "app/shell/sharing/MailAttachments.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>

#include "app/shell/sharing/PlaneImageExport.h"
#include "app/storage/ApplicationIdentity.h"
#include "equations/RVEquation.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {

namespace {

// The circle's box is 20 points high, centred on the formula.
constexpr double kDotBoxHeight = 20.0;

bool attached(const RVEquation* equation) {
    return equation != nullptr && equation->visible() && equation->expression() != nullptr;
}

}  // namespace

QImage MailAttachments::equationImage(const RVEquation& equation, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0.0 ? devicePixelRatio : 1.0;
    const QColor color = equation.color().isValid() ? equation.color() : QColor(Qt::black);
    QColor opaque = color;
    opaque.setAlpha(255);
    QImage formula;
    if (equation.expression() != nullptr) {
        formula = ExpressionImage::expressionImageWithColor(*equation.expression(), opaque,
                                                            Qt::black, formulaDepth, ratio);
    }
    const QSizeF formulaSize =
        formula.isNull() ? QSizeF(0.0, kDotBoxHeight) : formula.deviceIndependentSize();
    const QSize pixels(formula.isNull() ? qRound((formulaLeft)*ratio)
                                        : formula.width() + qRound(formulaLeft * ratio),
                       formula.isNull() ? qRound(kDotBoxHeight * ratio) : formula.height());
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!formula.isNull()) {
        painter.drawImage(QPointF(formulaLeft, 0.0), formula);
    }
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(color);
    painter.drawEllipse(
        QRectF(dotLeft, (formulaSize.height() - kDotBoxHeight) / 2.0, dotSide, dotSide));
    return image;
}

QString MailAttachments::body(const QList<const RVEquation*>& equations) {
    QString text;
    for (const RVEquation* equation : equations) {
        if (attached(equation)) {
            text += QString::fromStdU16String(equation->expression()->expressionString()) + u'\n';
        }
    }
    return text + u'\n' + QCoreApplication::translate("RVPWShareController", "Created with ") +
           QStringLiteral("Plotwise ") + QString::fromLatin1(kProjectPage);
}

MailAttachments::Written MailAttachments::write(const QString& folder,
                                                const QList<const RVEquation*>& equations,
                                                const QImage& graph, qreal devicePixelRatio) {
    Written written;
    const QDir directory(folder);
    const auto add = [&](const QImage& image, const QString& name) {
        const QString path = directory.filePath(name);
        if (QString error = writePngFile(image, path); !error.isEmpty()) {
            written.error = QStringLiteral("%1: %2").arg(name, error);
            return false;
        }
        written.files << path;
        return true;
    };
    int index = 0;
    for (const RVEquation* equation : equations) {
        if (!attached(equation)) {
            continue;
        }
        if (!add(equationImage(*equation, devicePixelRatio),
                 QStringLiteral("expression%1.png").arg(index++))) {
            return written;
        }
    }
    add(graph, QStringLiteral("graph.png"));
    return written;
}

}  // namespace plotwise
