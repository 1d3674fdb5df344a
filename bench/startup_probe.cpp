// Starts a window and exits as soon as it has been painted once: either the
// viewer's main window, as the program builds it, or a minimal Qt Widgets
// window for comparison.
//
//   startup_probe viewer|minimal

#include "MainWindow.h"
#include "MapLinks.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>

#include <cstring>
#include <memory>

namespace {

// Quits the application at the first paint of the widget it watches.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || (std::strcmp(argv[1], "viewer") != 0 && std::strcmp(argv[1], "minimal") != 0))
        return 2;
    QApplication application(argc, argv);
    std::unique_ptr<QWidget> window;
    if (std::strcmp(argv[1], "viewer") == 0)
        window = std::make_unique<MainWindow>(
            QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kMapInfoFileName)), QDir::currentPath());
    else
        window = std::make_unique<QLabel>(QStringLiteral("Tarvex"));
    FirstPaint firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return application.exec();
}
