// How long the map area takes to repaint its visible part (511 x 428) of a
// 4000 x 4000 map at natural size and after 20 Zoom In steps, and how long
// a tracker tick with eight players takes beside one with one.
//
//   view_bench [Google Benchmark options]

#include "app/browser/MapFileList.h"
#include "app/following/PlayerList.h"
#include "app/following/PlayerTracker.h"
#include "app/following/ProcessPicker.h"
#include "app/mapview/ImageControl.h"
#include "app/mapview/ImageScaling.h"
#include "app/mapview/MapOverview.h"
#include "app/mapview/MapView.h"
#include "app/window/MainWindow.h"
#include "app/window/ScrollBarClipStyle.h"
#include "bench/BenchMaps.h"
#include "bench/InTurn.h"
#include "map/MapReader.h"
#include "process/ProcessStartTime.h"
#include "qtfiles/QtConversions.h"

#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <optional>

namespace {

const BenchMap kMap{"4000x4000", 4000, 4000, 1.0};
const QSize kVisibleArea(511, 428);

const IndexedImage& MapPicture()
{
    static const IndexedImage picture = ReadMapFile(BenchMapPath(kMap))->image;
    return picture;
}

void Repaint(benchmark::State& state, int zoomSteps)
{
    ImageControl image;
    image.setPicture(MapPicture());
    QSize size(MapPicture().Width(), MapPicture().Height());
    if (zoomSteps > 0) {
        image.setAutoSize(false);
        image.setStretch(true);
        for (int i = 0; i < zoomSteps; ++i)
            size = QSize(ZoomedInSize(size.width()), ZoomedInSize(size.height()));
        image.resize(size);
    }
    QImage screen(kVisibleArea, QImage::Format_RGB32);
    // Somewhere in the middle of the picture, as after scrolling there.
    const QRegion visible(QRect(QPoint(size.width() / 2, size.height() / 2), kVisibleArea));
    for (auto _ : state)
        image.render(&screen, QPoint(), visible, QWidget::RenderFlags());
    state.counters["pixels/s"] = benchmark::Counter(double(kVisibleArea.width() * kVisibleArea.height()) *
                                                        double(state.iterations()), benchmark::Counter::kIsRate);
}

double SecondsToLoad(const std::filesystem::path& path);

// A route of 4000 cells across the whole map, through the middle of the view.
std::vector<QPoint> DiagonalRoute()
{
    std::vector<QPoint> cells;
    for (int i = 0; i < kMap.width; ++i)
        cells.emplace_back(i, i);
    return cells;
}

// The map view on screen (offscreen), its visible area in the middle of the
// 4000 x 4000 map after zoomSteps Zoom In steps; with the overlays, the
// overview, the grid and a route are shown too, without them none is.
class ShownMapView {
public:
    explicit ShownMapView(int zoomSteps, bool overlays = false)
    {
        view_.resize(kVisibleArea);
        view_.setOverviewWanted(overlays);
        view_.setGridWanted(overlays);
        if (overlays)
            view_.setRoute(DiagonalRoute());
        view_.setPicture(MapPicture());
        for (int i = 0; i < zoomSteps; ++i)
            view_.zoomIn();
        view_.show();
        QApplication::processEvents();
        for (QScrollBar* bar : {view_.horizontalScrollBar(), view_.verticalScrollBar()})
            bar->setValue(bar->maximum() / 2);
        QApplication::processEvents();
    }
    QWidget* area() { return view_.viewport(); }
    QWidget* image() { return view_.findChild<QWidget*>("img1"); }
    void setTrails(std::vector<Trail> trails) { view_.setTrails(std::move(trails)); }

private:
    MapView view_{nullptr};
};

void SendMouse(QWidget* area, QEvent::Type type, QPoint at)
{
    QMouseEvent event(type, at, area->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &event);
}

// What the screen gets when the whole visible area is painted anew.
void RepaintArea(benchmark::State& state)
{
    ShownMapView shown(0);
    for (auto _ : state) {
        shown.image()->update();
        QApplication::processEvents();
    }
}

constexpr int k1600PercentSteps = 16; // 4000 pixels become 73,933: over 1600%, where the grid shows

// Both views' visible areas painted anew, in turn: the time with is the
// benchmark's, the time without the counter's.
void RepaintInTurn(benchmark::State& state, ShownMapView& with, ShownMapView& without, const std::string& counter)
{
    const auto repaint = [](ShownMapView& shown) {
        shown.image()->update();
        QApplication::processEvents();
    };
    double withoutSeconds = 0;
    bool withFirst = true;
    for (auto _ : state) {
        InTurn(
            withFirst, [&] { state.SetIterationTime(Timed([&] { repaint(with); }).wallSeconds); },
            [&] { withoutSeconds += Timed([&] { repaint(without); }).wallSeconds; });
    }
    state.counters[counter] = benchmark::Counter(withoutSeconds, benchmark::Counter::kAvgIterations);
}

// The whole visible area at 1600% painted anew, with or without the overlays.
void RepaintZoomedBesideWithoutOverlays(benchmark::State& state)
{
    ShownMapView with(k1600PercentSteps, true);
    ShownMapView without(k1600PercentSteps, false);
    RepaintInTurn(state, with, without, "beside_no_overlays_wall_s");
}

// Eight players' trails of 600 steps each, walking about the middle of the
// map, where the view shows it.
std::vector<Trail> EightTrails()
{
    std::vector<Trail> trails;
    std::uint32_t state = 12345;
    for (int player = 0; player < 8; ++player) {
        Trail trail{QColor::fromHsv(player * 45, 255, 255), {}, {}};
        QPoint at(kMap.width / 2 - 40 + player * 10, kMap.height / 2 - 40 + player * 10);
        for (int step = 0; step < 600; ++step) {
            state = state * 1664525u + 1013904223u;
            at += QPoint(int(state >> 30) % 3 - 1, int(state >> 28) % 3 - 1);
            trail.cells.push_back(at);
            trail.ages.push_back(1.0 - step / 600.0);
        }
        trails.push_back(std::move(trail));
    }
    return trails;
}

// The whole visible area at natural size painted anew with eight trails, and
// without them, the two in turn; the time without them is a counter.
void RepaintTrailsBesideWithout(benchmark::State& state)
{
    ShownMapView with(0);
    ShownMapView without(0);
    with.setTrails(EightTrails());
    RepaintInTurn(state, with, without, "beside_no_trails_wall_s");
}

// The overview made from the picture, and the map's load beside it, in turn.
void OverviewBesideLoad(benchmark::State& state, const BenchMap& map)
{
    const std::filesystem::path path = BenchMapPath(map);
    const IndexedImage picture = ReadMapFile(path)->image;
    double loadSeconds = 0;
    bool overviewFirst = true;
    for (auto _ : state) {
        InTurn(
            overviewFirst,
            [&] {
                state.SetIterationTime(
                    Timed([&] { benchmark::DoNotOptimize(OverviewImage(picture).constBits()); }).wallSeconds);
            },
            [&] { loadSeconds += SecondsToLoad(path); });
    }
    state.counters["beside_load_overview_" + std::string(map.name) + "_wall_s"] =
        benchmark::Counter(loadSeconds, benchmark::Counter::kAvgIterations);
}

// One step of a drag: 8 pixels sideways, back and forth.
void PanStep(benchmark::State& state, bool overlays)
{
    ShownMapView shown(overlays ? k1600PercentSteps : 20, overlays);
    const QPoint middle = shown.area()->rect().center();
    SendMouse(shown.area(), QEvent::MouseButtonPress, middle);
    int step = 8;
    for (auto _ : state) {
        SendMouse(shown.area(), QEvent::MouseMove, middle + QPoint(step, 0));
        QApplication::processEvents();
        step = -step;
    }
    SendMouse(shown.area(), QEvent::MouseButtonRelease, middle);
}

// One tick's drawing on an N x N map in the view on screen: the marker moves
// between two places, each time restoring the map under the previous one.
void MarkerTick(benchmark::State& state)
{
    const int side = int(state.range(0));
    IndexedImage blocked(side, side);
    std::fill(blocked.Bytes().begin(), blocked.Bytes().end(), std::uint8_t(kEntryBlocked << 4 | kEntryBlocked));
    MapView view(nullptr);
    view.resize(kVisibleArea);
    view.setPicture(std::move(blocked));
    view.show();
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        view.showMarker(QPoint(100 + step % 2 * 20, 100));
        QApplication::processEvents();
        ++step;
    }
}

const BenchMap kClickedMap{"1000x1000", 1000, 1000, 1.0};
const BenchMap kHugeMap{"16384x16384", 16384, 16384, 1.0}; // 3.2 GB of map file

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The load alone, for the click beside it.
double SecondsToLoad(const std::filesystem::path& path)
{
    const auto started = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ReadMapFile(path)->image.Bytes().data());
    return SecondsSince(started);
}

// The viewer's window in the folder of a benchmark map, that map selected in
// the file list, with an empty "MapInfo.txt"; a box would end the benchmark.
class WindowOnMap {
public:
    WindowOnMap(benchmark::State& state, const BenchMap& map)
        : path_(QString::fromStdString(BenchMapPath(map).string())), window_(mapInfoPath(), QFileInfo(path_).path())
    {
        window_.setModalRunner([&state](QDialog&) {
            state.SkipWithError("a box would show");
            return false;
        });
        files_ = window_.findChild<MapFileList*>("fllst1");
        files_->setCurrentItem(files_->findItems(QFileInfo(path_).fileName(), Qt::MatchExactly).value(0));
    }
    MainWindow& window() { return window_; }
    // As a click on the selected map does.
    void click() { emit files_->fileChosen(); }

private:
    QString mapInfoPath()
    {
        QFile mapInfo(programFolder_.filePath("MapInfo.txt"));
        mapInfo.open(QIODevice::WriteOnly);
        return mapInfo.fileName();
    }

    QTemporaryDir programFolder_;
    QString path_;
    MainWindow window_;
    MapFileList* files_;
};

// From a click in the file list to the end of the first paint of the map,
// and the load alone beside it, which of them first alternating, so that a
// slow moment of the machine falls on both alike. The click's time is the
// benchmark's; the load's is a counter.
void ClickToScreen(benchmark::State& state)
{
    WindowOnMap shown(state, kClickedMap);
    shown.window().show();
    QApplication::processEvents();
    const auto path = BenchMapPath(kClickedMap);
    double loadSeconds = 0;
    bool clickFirst = true;
    for (auto _ : state) {
        InTurn(
            clickFirst,
            [&] {
                const auto clicked = std::chrono::steady_clock::now();
                shown.click();
                QApplication::processEvents();
                state.SetIterationTime(SecondsSince(clicked));
            },
            [&] { loadSeconds += SecondsToLoad(path); });
    }
    state.counters["beside_load_wall_s"] = benchmark::Counter(loadSeconds, benchmark::Counter::kAvgIterations);
    if (shown.window().mapView().picture().Width() != 1000)
        state.SkipWithError("the map was not shown");
}

struct PaintedAfter {
    double wallSeconds;
    double cpuSeconds;
};

// A program started until its window's first paint ends, as the program
// tells it on the steady clock (the time it then takes to end is not counted:
// closing its folder watches alone may take the system tens of milliseconds),
// and its CPU time until then.
std::optional<PaintedAfter> StartUntilPainted(const char* window)
{
    QProcess probe;
    const auto started = std::chrono::steady_clock::now().time_since_epoch();
    probe.start(STARTUP_PROBE, {window});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        return std::nullopt;
    const QList<QByteArray> told = probe.readAllStandardOutput().trimmed().split(' ');
    bool painted = told.size() == 2, timed = false;
    const long long paintedAt = painted ? told[0].toLongLong(&painted) : 0;
    const long long cpuNanoseconds = painted ? told[1].toLongLong(&timed) : 0;
    if (!painted || !timed)
        return std::nullopt;
    return PaintedAfter{double(paintedAt - std::chrono::nanoseconds(started).count()) * 1e-9, double(cpuNanoseconds) * 1e-9};
}

// The viewer and a minimal Qt window started in turn, which of them first
// alternating, so that a slow moment of the machine falls on both alike. The
// viewer's time is the benchmark's; the minimal window's and both CPU times
// are counters.
void StartBesideMinimalWindow(benchmark::State& state)
{
    double viewerCpuSeconds = 0, minimalSeconds = 0, minimalCpuSeconds = 0;
    bool viewerFirst = true;
    for (auto _ : state) {
        std::optional<PaintedAfter> viewer, minimal;
        InTurn(
            viewerFirst, [&] { viewer = StartUntilPainted("viewer"); },
            [&] { minimal = StartUntilPainted("minimal"); });
        if (!viewer || !minimal) {
            state.SkipWithError("a probe did not paint its window");
            break;
        }
        state.SetIterationTime(viewer->wallSeconds);
        viewerCpuSeconds += viewer->cpuSeconds;
        minimalSeconds += minimal->wallSeconds;
        minimalCpuSeconds += minimal->cpuSeconds;
    }
    const auto average = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["viewer_cpu_s"] = average(viewerCpuSeconds);
    state.counters["beside_minimal_wall_s"] = average(minimalSeconds);
    state.counters["beside_minimal_cpu_s"] = average(minimalCpuSeconds);
}

// The viewer follows this very process: each player's x and y in a page of
// its own memory below 4 GiB, moved one cell a tick.
class PlayersInThisProcess {
public:
    explicit PlayersInThisProcess(int players) : players_(players)
    {
        page_ = static_cast<std::uint16_t*>(
            ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0));
        for (int player = 0; player < players_; ++player) {
            page_[2 * player] = std::uint16_t(400 + 20 * player);
            page_[2 * player + 1] = 500;
        }
    }
    ~PlayersInThisProcess() { ::munmap(page_, 4096); }
    PlayersInThisProcess(const PlayersInThisProcess&) = delete;
    PlayersInThisProcess& operator=(const PlayersInThisProcess&) = delete;

    std::uint32_t address(int player) const { return std::uint32_t(reinterpret_cast<std::uintptr_t>(page_ + 2 * player)); }
    void step(int tick)
    {
        for (int player = 0; player < players_; ++player)
            page_[2 * player + 1] = std::uint16_t(500 + tick % 100);
    }

private:
    int players_;
    std::uint16_t* page_;
};

// The window on the 1000 x 1000 map following `players` players in this
// process: the first by the toolbar, the others as clients followed too,
// their own timers stopped so that only the ticks timed read.
class WindowFollowing {
public:
    WindowFollowing(benchmark::State& state, int players) : shown_(state, kClickedMap), positions_(players)
    {
        shown_.click();
        MainWindow& window = shown_.window();
        const auto self = std::uint32_t(::getpid());
        window.findChild<ProcessPicker*>("lv1")->showProcesses({{"view_bench", self, ProcessStartTime(self)}});
        window.findChild<ProcessPicker*>("lv1")->selectProcess(self);
        window.findChild<QLineEdit*>("edt1")->setText(QString::number(positions_.address(0), 16));
        auto* list = window.findChild<PlayerList*>();
        for (int player = 1; player < players; ++player)
            list->add(ClientSource{self, ProcessStartTime(self), "view_bench", positions_.address(player), {}, {}, {}})
                .tracker()
                .setRunning(false);
        window.show();
        trackers_ = window.findChildren<PlayerTracker*>();
        tick();
    }
    // Every player read once, and what they read shown on the screen.
    void tick()
    {
        positions_.step(ticks_++);
        for (PlayerTracker* tracker : trackers_)
            tracker->tick();
        while (std::any_of(trackers_.begin(), trackers_.end(), [](const PlayerTracker* tracker) { return tracker->isReading(); }))
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // What the reads set going (the players shown, the repaint) is this
        // tick's too, not the next one's.
        while (QApplication::eventDispatcher()->processEvents(QEventLoop::AllEvents)) {
        }
    }
    bool sawEveryone()
    {
        const auto* list = shown_.window().findChild<PlayerList*>();
        for (int row = 0; row < list->rowCount(); ++row)
            if (!list->row(row).position)
                return false;
        return true;
    }

private:
    WindowOnMap shown_;
    PlayersInThisProcess positions_;
    QList<PlayerTracker*> trackers_;
    int ticks_ = 0;
};

// A tick with eight players and one with one, in turn, on the 1000 x 1000
// map: the reads, the marks, the trails and the repaint, until all is on the
// screen. The eight's time is the benchmark's, the one's a counter; beside
// them the CPU time of the window's thread alone (the reads run on threads
// of their own), which is what a tick costs the window.
void TrackerTickEightBesideOne(benchmark::State& state)
{
    WindowFollowing eight(state, 8);
    WindowFollowing one(state, 1);
    Spent eightSpent, oneSpent;
    bool eightFirst = true;
    const auto add = [](Spent& total, const Spent& spent) {
        total.wallSeconds += spent.wallSeconds;
        total.cpuSeconds += spent.cpuSeconds;
        return spent;
    };
    for (auto _ : state) {
        InTurn(
            eightFirst,
            [&] { state.SetIterationTime(add(eightSpent, Timed([&] { eight.tick(); }, ThreadCpuSeconds)).wallSeconds); },
            [&] { add(oneSpent, Timed([&] { one.tick(); }, ThreadCpuSeconds)); });
    }
    if (!eight.sawEveryone() || !one.sawEveryone())
        state.SkipWithError("a tick did not read every position");
    const auto average = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["beside_one_player_wall_s"] = average(oneSpent.wallSeconds);
    state.counters["window_thread_cpu_s"] = average(eightSpent.cpuSeconds);
    state.counters["window_thread_cpu_one_player_s"] = average(oneSpent.cpuSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    ScrollBarClipStyle::UseForApplication(); // as the viewer paints its scroll bars
    benchmark::RegisterBenchmark("repaint/natural", Repaint, 0)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("repaint/20-zoom-in-steps", Repaint, 20)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("map-area/repaint-natural", RepaintArea)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("map-area/pan-8-pixels-20-zoom-in-steps", PanStep, false)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("map-area/pan-8-pixels-1600-percent-overlays", PanStep, true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("map-area/repaint-1600-percent-overlays", RepaintZoomedBesideWithoutOverlays)
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("map-area/repaint-8-trails", RepaintTrailsBesideWithout)
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("overview/1000x1000", OverviewBesideLoad, kClickedMap)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("overview/16384x16384", OverviewBesideLoad, kHugeMap)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(2);
    benchmark::RegisterBenchmark("marker-tick", MarkerTick)->Arg(256)->Arg(4000)->Arg(16384)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("click/click-to-screen-1000x1000", ClickToScreen)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("start/viewer", StartBesideMinimalWindow)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("tracker-tick/8-players-1000x1000", TrackerTickEightBesideOne)
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
