#pragma once
// The application's style, each scroll bar drawn clipped to its own rectangle.

#include <QProxyStyle>

// The clip changes no pixel: a scroll bar is painted inside its rectangle
// anyway. Without an explicit clip, Qt's raster engine blends the scroll bars'
// semi-transparent outlines a span per pixel and hands every run of more than
// 95 spans to its thread pool, waiting for each (47 hand-overs in the window's
// first paint); with one, it writes those pixels straight into the picture.
class ScrollBarClipStyle : public QProxyStyle {
public:
    // Takes the style over, as the base of this one.
    explicit ScrollBarClipStyle(QStyle* style);
    // Makes the application's style, whichever it is (the system's, or the
    // one named by -style), the base of one of these, the application's own.
    static void UseForApplication();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};
