#include "app/shell/TabletSplitView.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/shell/NavigationStack.h"

namespace plotwise {

TabletSplitView::TabletSplitView(QWidget* parent)
    : QWidget(parent),
      splitter_(new QSplitter(Qt::Horizontal, this)),
      master_(new QStackedWidget),
      detail_(new NavigationStack),
      equationsButton_(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
    splitter_->addWidget(master_);
    splitter_->addWidget(detail_);
    splitter_->setChildrenCollapsible(false);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    master_->setMinimumWidth(240);
    splitter_->setSizes({masterWidth, 1000});

    equationsButton_->setText(tr("Equations"));
    equationsButton_->setToolTip(tr("Equations (Ctrl+E)"));
    equationsButton_->setObjectName(QStringLiteral("equationsButton"));
    equationsButton_->setStyleSheet(QStringLiteral(
        "#equationsButton { background: rgba(16, 16, 16, 210); color: white; border: none;"
        " border-radius: 6px; padding: 8px 12px; }"));
    equationsButton_->hide();
    connect(equationsButton_, &QToolButton::clicked, this, &TabletSplitView::showMasterList);
}

void TabletSplitView::setMasterList(QWidget* list) {
    if (master_->indexOf(list) < 0) {
        master_->addWidget(list);
    }
    master_->setCurrentWidget(list);
}

void TabletSplitView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateOrientation();
}

void TabletSplitView::updateOrientation() {
    portrait_ = height() > width();
    if (popup_ == nullptr) {
        master_->setVisible(!portrait_);
    }
    equationsButton_->setVisible(portrait_);
    equationsButton_->adjustSize();
    equationsButton_->move(8, 6);
    equationsButton_->raise();
}

void TabletSplitView::showMasterList() {
    if (!portrait_) {
        if (QWidget* list = master_->currentWidget()) {
            list->setFocus(Qt::ShortcutFocusReason);
        }
        return;
    }
    if (popup_ != nullptr) {
        return;
    }
    popup_ = new QFrame(this, Qt::Popup);
    popup_->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(popup_);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(master_);
    master_->show();
    popup_->resize(masterWidth, qMax(200, qMin(600, height() - 60)));
    popup_->move(equationsButton_->mapToGlobal(QPoint(0, equationsButton_->height() + 4)));
    popup_->installEventFilter(this);
    popup_->show();
    if (QWidget* list = master_->currentWidget()) {
        list->setFocus(Qt::PopupFocusReason);
    }
}

void TabletSplitView::hideMasterPopup() {
    if (popup_ != nullptr) {
        popup_->close();
    }
}

bool TabletSplitView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == popup_ && event->type() == QEvent::Hide) {
        returnMasterToSplitter();
    }
    return QWidget::eventFilter(watched, event);
}

void TabletSplitView::returnMasterToSplitter() {
    QFrame* popup = std::exchange(popup_, nullptr);
    splitter_->insertWidget(0, master_);
    splitter_->setSizes({masterWidth, qMax(1, width() - masterWidth)});
    popup->removeEventFilter(this);
    popup->deleteLater();
    updateOrientation();
}

}  // namespace plotwise
