#include "app/shared/IconPixels.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

namespace {

// The icons are built from pixels compiled in, made from the PNG files by a
// script: the two must not drift apart.
TEST(WindowIconsTest, AreThePixelsOfTheirPngFiles)
{
    for (const IconPixels& icon : kIconPixels) {
        const QImage png(QStringLiteral(ICONS_DIR "/%1.png").arg(QLatin1String(icon.name)));
        ASSERT_FALSE(png.isNull()) << icon.name;
        const QImage compiled(reinterpret_cast<const uchar*>(icon.pixels), icon.size, icon.size, QImage::Format_ARGB32);
        const QImage decoded = png.convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(decoded.size(), compiled.size()) << icon.name;
        for (int y = 0; y < icon.size; ++y)
            for (int x = 0; x < icon.size; ++x)
                ASSERT_EQ(decoded.pixel(x, y), compiled.pixel(x, y)) << icon.name << " " << x << "," << y;
    }
}

} // namespace
