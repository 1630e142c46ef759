#include "app/screens/info/RVPWInfoViewController.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/widgets/ScreenBar.h"

namespace plotwise {

namespace {

constexpr int kLogoSide = 96;

}  // namespace

RVPWInfoViewController::RVPWInfoViewController(QWidget* parent)
    : QWidget(parent),
      logo_(new QLabel(this)),
      version_(new QLabel(this)),
      titles_(new QLabel(this)),
      names_(new QLabel(this)) {
    setWindowTitle(tr("About"));
    useGroupedBackground(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeDoneScreenBar(this, tr("About"), &done_));
    connect(done_, &QPushButton::clicked, this, &RVPWInfoViewController::done);

    logo_->setPixmap(logoPixmap(kLogoSide, devicePixelRatioF()));
    logo_->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QGuiApplication::applicationDisplayName(), this);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignCenter);
    version_->setText(tr("Version %1").arg(QCoreApplication::applicationVersion()));
    version_->setAlignment(Qt::AlignCenter);

    // Two columns whose lines pair up: each title beside its names.
    titles_->setText(tr("Programming:\n\nTesting / Documentation:\nGraphic Design:"));
    titles_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    // A point smaller than the body, so both columns fit the 320-point popover.
    QFont creditsFont = names_->font();
    creditsFont.setPointSizeF(creditsFont.pointSizeF() - 1.0);
    names_->setFont(creditsFont);
    creditsFont.setBold(true);
    titles_->setFont(creditsFont);
    names_->setText(
        tr("The Plotwise engineers\nand their helpers\nThe Plotwise testers\n"
           "The Plotwise designers"));
    names_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* credits = new QHBoxLayout;
    credits->setContentsMargins(6, 0, 6, 0);
    credits->addStretch(1);
    credits->addWidget(titles_);
    credits->addSpacing(6);
    credits->addWidget(names_);
    credits->addStretch(1);

    layout->addSpacing(16);
    layout->addWidget(logo_);
    layout->addWidget(name);
    layout->addWidget(version_);
    layout->addSpacing(20);
    layout->addLayout(credits);
    layout->addStretch(1);
}

QPixmap RVPWInfoViewController::logoPixmap(int side, qreal devicePixelRatio) {
    const QIcon icon(QStringLiteral(":/icons/org.plotwise.Plotwise.svg"));
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!icon.isNull()) {
        icon.paint(&painter, QRect(0, 0, side, side));
    } else {
        // Without the icon (or its image plugin) a plain curve on a tile stands in.
        painter.setBrush(QColor(30, 90, 200));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(0, 0, side, side), side * 0.2, side * 0.2);
        painter.setPen(QPen(Qt::white, side * 0.06));
        QPainterPath curve;
        curve.moveTo(side * 0.15, side * 0.8);
        curve.cubicTo(side * 0.45, side * 0.8, side * 0.55, side * 0.2, side * 0.85, side * 0.2);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(curve);
    }
    return pixmap;
}

}  // namespace plotwise
