#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace plotwise {

// The About screen: the logo, the version and the credits, with Done.
class RVPWInfoViewController : public QWidget {
    Q_OBJECT

public:
    // The popover's size on a tablet.
    static constexpr int popoverWidth = 320;
    static constexpr int popoverHeight = 416;

    explicit RVPWInfoViewController(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {popoverWidth, popoverHeight}; }

    QLabel* logo() const { return logo_; }
    QLabel* version() const { return version_; }
    QLabel* titles() const { return titles_; }
    QLabel* names() const { return names_; }
    QPushButton* doneButton() const { return done_; }

    // The logo drawn from the application's icon at `side` logical pixels.
    static QPixmap logoPixmap(int side, qreal devicePixelRatio);

signals:
    void done();

private:
    QLabel* logo_;
    QLabel* version_;
    QLabel* titles_;
    QLabel* names_;
    QPushButton* done_ = nullptr;
};

}  // namespace plotwise
