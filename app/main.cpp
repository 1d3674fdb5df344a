#include "UnitFormMain.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvex-viewer"));
    TFormMain formMain;
    formMain.move(formMain.screen()->availableGeometry().center() - formMain.rect().center());
    formMain.show();
    return application.exec();
}
