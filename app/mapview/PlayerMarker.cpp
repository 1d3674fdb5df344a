#include "app/mapview/PlayerMarker.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QVector>

namespace {

// The pixels of the letter, relative to the top-left corner of its cell,
// rendered once.
const QVector<QPoint>& MarkerPixels()
{
    static const QVector<QPoint> pixels = [] {
        QFont font(QStringLiteral("Sans Serif"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSize(8);
        font.setStyleStrategy(QFont::NoAntialias);
        QImage glyph(32, 32, QImage::Format_ARGB32);
        glyph.setDotsPerMeterX(3780); // 96 dots per inch, as on a screen
        glyph.setDotsPerMeterY(3780);
        glyph.fill(Qt::transparent);
        QPainter painter(&glyph);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(0, QFontMetrics(font, &glyph).ascent(), QStringLiteral("X"));
        painter.end();
        QVector<QPoint> set;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                if (qAlpha(glyph.pixel(x, y)) != 0)
                    set.append(QPoint(x, y));
        return set;
    }();
    return pixels;
}

} // namespace

QRect PlayerMarkerBounds(QPoint topLeft)
{
    static const QRect bounds = [] {
        QRect united;
        for (const QPoint& pixel : MarkerPixels())
            united |= QRect(pixel, QSize(1, 1));
        return united;
    }();
    return bounds.translated(topLeft);
}

void DrawPlayerMarkerAt(IndexedImage& picture, int left, int top)
{
    const QRect bounds(0, 0, picture.Width(), picture.Height());
    for (const QPoint& pixel : MarkerPixels()) {
        const QPoint at(left + pixel.x(), top + pixel.y());
        if (bounds.contains(at))
            picture.SetPixel(at.x(), at.y(), kMarkerEntry);
    }
}
