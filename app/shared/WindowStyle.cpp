#include "app/shared/WindowStyle.h"

#include "app/shared/IconPixels.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QPixmap>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

QPixmap PixmapNamed(const char* name)
{
    const auto found = std::find_if(kIconPixels.begin(), kIconPixels.end(),
                                    [name](const IconPixels& icon) { return std::strcmp(icon.name, name) == 0; });
    if (found == kIconPixels.end())
        throw std::logic_error(std::string("no icon named ") + name);
    return QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(found->pixels), found->size, found->size,
                                     QImage::Format_ARGB32));
}

} // namespace

QString ApplicationTitle()
{
    return QCoreApplication::translate("WindowStyle", "Tarvex 1.8 map viewer");
}

QString AboutTitle()
{
    return QCoreApplication::translate("WindowStyle", "Tarvex 1.8 map viewer!");
}

QString AboutCredit()
{
    return QCoreApplication::translate("WindowStyle", "A map viewer made by players for players.");
}

QFont WindowFont()
{
    QString family = QStringLiteral("宋体");
    if (!QFontDatabase::families().contains(family)) {
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        if (chinese.contains(QStringLiteral("WenQuanYi Zen Hei")))
            family = QStringLiteral("WenQuanYi Zen Hei");
        else if (!chinese.isEmpty())
            family = chinese.first();
    }
    QFont font(family);
    font.setPixelSize(12);
    return font;
}

QIcon ApplicationIcon()
{
    QIcon icon(PixmapNamed("tarvex-32"));
    icon.addPixmap(PixmapNamed("tarvex-16"));
    return icon;
}

QIcon IconNamed(const char* name)
{
    return QIcon(PixmapNamed(name));
}
