#include "MainWindow.h"

#include "MapLinks.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvex-viewer"));
    // The links are read from "MapInfo.txt" beside the program itself.
    MainWindow window(QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kMapInfoFileName)),
                      QDir::currentPath());
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    return application.exec();
}
