#pragma once
// The image control of the map area: shows a picture at its own size
// (auto-size), centred in a larger control, or stretched to the control by
// repeating or dropping whole pixels. A paint costs what the exposed area
// costs, however large the control: no scaled copy of the whole picture is
// ever made.

#include <QImage>
#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    // With auto-size on, a picture of non-zero size gives the control its size.
    void SetPicture(const QImage& picture);

    bool AutoSize() const { return autoSize_; }
    // Switching it on gives the control the picture's size at once.
    void SetAutoSize(bool on);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect PictureTarget() const;
    // The screen pixels of the exposed part of target.
    QImage ScreenPart(const QRect& target, const QRect& exposed) const;

    QImage picture_;
    QImage screenPicture_; // the picture itself when indexed, otherwise a 32-bit copy
    QList<QRgb> screenColors_;
    bool autoSize_ = true;
    bool stretch_ = false;
    bool center_ = true;
};
