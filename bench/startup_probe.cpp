// Starts a window and exits as soon as it has been painted once: either the
// viewer's main window, as the program builds it, or a minimal Qt Widgets
// window for comparison. It prints the moment the first paint ended on the
// system's steady clock and the CPU time it had taken by then (nanoseconds
// both), so that a caller can tell the time from its start without the time
// the program takes to end. Maps named after "viewer" are opened one after
// the other and the player marked on each, for the peak memory of the viewer.
//
//   startup_probe viewer [FILE.map...]
//   startup_probe minimal

#include "app/mapview/MapView.h"
#include "app/window/Language.h"
#include "app/window/MainWindow.h"
#include "app/window/ScrollBarClipStyle.h"
#include "map/MapLinks.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>

namespace {

// Quits the application once the first paint of the widget it watches ends.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                const double cpuSeconds = double(std::clock()) / CLOCKS_PER_SEC;
                std::printf("%lld %lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()),
                            static_cast<long long>(cpuSeconds * 1e9));
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool painted_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    const bool viewer = argc >= 2 && std::strcmp(argv[1], "viewer") == 0;
    if (!viewer && (argc != 2 || std::strcmp(argv[1], "minimal") != 0))
        return 2;
    QApplication application(argc, argv);
    std::optional<LanguageInUse> language;
    std::unique_ptr<QWidget> window;
    std::optional<QTemporaryDir> emptyMapInfoFolder;
    if (viewer) {
        ScrollBarClipStyle::UseForApplication(); // as the program does
        language.emplace(Language::Chinese);     // and in its default language
        QDir mapInfoFolder(QCoreApplication::applicationDirPath());
        if (argc > 2) { // maps to open: their lines are none of the probe's business
            mapInfoFolder.setPath(emptyMapInfoFolder.emplace().path());
            QFile(mapInfoFolder.filePath(QLatin1String(kMapInfoFileName))).open(QIODevice::WriteOnly);
        }
        auto mainWindow = std::make_unique<MainWindow>(mapInfoFolder.filePath(QLatin1String(kMapInfoFileName)), QDir::currentPath());
        mainWindow->setModalRunner([](QDialog&) -> bool {
            std::fputs("startup_probe: a box would show\n", stderr);
            std::exit(1);
        });
        for (int map = 2; map < argc; ++map) {
            mainWindow->openPath(QString::fromLocal8Bit(argv[map]));
            mainWindow->findChild<MapView*>(QStringLiteral("sb1"))->showMarker(QPoint(100, 100));
        }
        window = std::move(mainWindow);
    } else {
        window = std::make_unique<QLabel>(QStringLiteral("Tarvex"));
    }
    FirstPaint firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return application.exec();
}
