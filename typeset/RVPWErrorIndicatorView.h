#pragma once

#include <QImage>
#include <QWidget>

namespace plotwise {

// The marker under the expression field: a dark strip along the bottom with an OK or an error
// image; with an error, a spike rises from the strip to the top of the view at the error's x.
class RVPWErrorIndicatorView : public QWidget {
    Q_OBJECT

public:
    // Height of the strip; the status image is 18 pixels square and sits inside it.
    static constexpr int stripHeight = 24;
    static constexpr int imageSide = 18;

    explicit RVPWErrorIndicatorView(QWidget* parent = nullptr);

    bool displayError() const { return displayError_; }
    // Stores the flag, takes the matching image and redraws.
    void setDisplayError(bool displayError);
    // The error's x position in the view.
    qreal errorPoint() const { return errorPoint_; }
    void setErrorPoint(qreal errorPoint);
    const QImage& errorImage() const { return errorImage_; }

    // Our artwork for "parseOK" and "parseError": a green disc with a check mark, a red disc with
    // an exclamation mark, imageSide pixels square at the pixel ratio.
    static QImage parseStatusImage(bool error, qreal devicePixelRatio);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool displayError_ = false;
    qreal errorPoint_ = 0.0;
    QImage errorImage_;
};

}  // namespace plotwise
