#include "WindowStyle.h"

#include <QFontDatabase>

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
    QIcon icon(QStringLiteral(":/icons/tarvex-32.png"));
    icon.addFile(QStringLiteral(":/icons/tarvex-16.png"));
    return icon;
}
