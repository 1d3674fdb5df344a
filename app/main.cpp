#include "UnitFormMain.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvex-viewer"));
    QIcon icon(QStringLiteral(":/icons/tarvex-32.xpm"));
    icon.addFile(QStringLiteral(":/icons/tarvex-16.xpm"));
    QApplication::setWindowIcon(icon);

    TFormMain formMain;
    formMain.move(formMain.screen()->availableGeometry().center() - formMain.rect().center());
    formMain.show();
    return application.exec();
}
