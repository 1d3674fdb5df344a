#include "app/finder/FinderSession.h"

#include "app/shared/OffThread.h"
#include "app/shared/WorkerThread.h"
#include "process/ProcessModules.h"
#include "route/RouteSteps.h"
#include "track/PointerScan.h"

#include <QPointer>
#include <QTimer>

namespace {

// How long a cancelled step may take to end before it is let go.
constexpr int kLetGoMilliseconds = 1000;

} // namespace

// What a step works on and leaves behind; a step let go keeps it to itself.
struct FinderSession::Work {
    explicit Work(std::int32_t processId) : reader(processId), finder(reader), keyFinder(reader) {}

    ProcessReader reader;
    AddressFinder finder;
    MapKeyFinder keyFinder;
    FinderProgress progress;
    std::shared_ptr<const TMatrix> cellsMap; // the map cells were worked out for
    StandableCells cells;
    FinderOutcome outcome;
    std::vector<PointerPath> paths;
    QString pathFailure;
};

namespace {

using Work = FinderSession::Work;

void RunStep(Work& work, FinderStepKind kind, std::pair<std::uint16_t, std::uint16_t> position,
             const std::shared_ptr<const TMatrix>& map)
{
    if (map != work.cellsMap) {
        work.cells = map ? StandableCellsOf(*map) : StandableCells();
        work.cellsMap = map;
    }
    switch (kind) {
    case FinderStepKind::Position:
        work.outcome = work.finder.KeepPosition(position.first, position.second, work.progress);
        break;
    case FinderStepKind::OnMap:
        work.outcome = work.finder.KeepOnMap(work.cells, work.progress);
        break;
    case FinderStepKind::Moved:
        work.outcome = work.finder.KeepMoved(work.cells, work.progress);
        break;
    case FinderStepKind::Still:
        work.outcome = work.finder.KeepStill(work.progress);
        break;
    case FinderStepKind::MapKeyLook:
        work.outcome = work.keyFinder.Look(work.progress);
        break;
    case FinderStepKind::MapChanged:
        work.outcome = work.keyFinder.KeepChanged(work.progress);
        break;
    case FinderStepKind::MapSame:
        work.outcome = work.keyFinder.KeepSame(work.progress);
        break;
    }
}

void ScanPaths(Work& work, std::uint64_t address)
{
    const ModuleList modules = ListModules(work.reader.ProcessId());
    if (!modules.failure.empty()) {
        work.pathFailure = QString::fromStdString(modules.failure);
        return;
    }
    FinderProgress& progress = work.progress;
    const std::vector<PointerAt> pointers =
        IndexPointers(work.reader, modules.pointerWidth, progress.cancel, [&progress](std::uint64_t done, std::uint64_t total) {
            progress.bytesTotal = total;
            progress.bytesDone = done;
        });
    work.paths = FindPointerPaths(pointers, modules.modules, address, {}, progress.cancel);
    if (progress.cancel)
        work.pathFailure = FinderSession::tr("Cancelled.");
    else if (work.paths.empty())
        work.pathFailure = FinderSession::tr("No pointer path leads from the client's program or libraries to this address.");
}

} // namespace

FinderSession::FinderSession(std::int32_t processId, QObject* parent)
    : QObject(parent), work_(std::make_shared<Work>(processId))
{
}

FinderSession::~FinderSession()
{
    work_->progress.cancel = true; // a running step ends by itself; nothing waits for it
    if (worker_)
        worker_->letGo();
}

std::int32_t FinderSession::processId() const
{
    return work_->reader.ProcessId();
}

std::shared_ptr<const ProcessReader> FinderSession::reader() const
{
    return {work_, &work_->reader};
}

QString FinderSession::refusal() const
{
    return QString::fromStdString(work_->reader.Refusal());
}

bool FinderSession::hasScanned() const
{
    return work_->finder.HasScanned();
}

std::uint64_t FinderSession::count() const
{
    return work_->finder.Count();
}

bool FinderSession::hasLookedForMapKey() const
{
    return work_->keyFinder.HasLooked();
}

std::uint64_t FinderSession::mapKeyCount() const
{
    return work_->keyFinder.Count();
}

const std::vector<PointerPath>& FinderSession::paths() const
{
    return work_->paths;
}

const QString& FinderSession::pathFailure() const
{
    return work_->pathFailure;
}

double FinderSession::progress() const
{
    const std::uint64_t total = work_->progress.bytesTotal;
    return total == 0 ? 0.0 : double(work_->progress.bytesDone) / double(total);
}

bool FinderSession::start(FinderStepKind kind, std::pair<std::uint16_t, std::uint16_t> position,
                          std::shared_ptr<const TMatrix> map)
{
    if (running_)
        return false;
    map_ = std::move(map);
    scanningPaths_ = false;
    return run([kind, position, map = map_](Work& work) { RunStep(work, kind, position, map); },
               [](Work& work) {
                   work.outcome = FinderOutcome{};
                   work.outcome.tooMany = true; // the memory for the candidates could not be had
               });
}

bool FinderSession::startPathScan(std::uint64_t address)
{
    if (running_)
        return false;
    scanningPaths_ = true;
    work_->paths.clear();
    work_->pathFailure.clear();
    return run([address](Work& work) { ScanPaths(work, address); },
               [](Work& work) {
                   work.pathFailure = tr("The client has more pointers than this computer's memory can index.");
               });
}

bool FinderSession::run(const std::function<void(Work&)>& step, const std::function<void(Work&)>& whenMemoryRunsOut)
{
    if (!work_->reader.Refusal().empty())
        return false;
    work_->progress.cancel = false;
    work_->progress.bytesDone = 0;
    work_->progress.bytesTotal = 0;
    running_ = true;
    ++steps_;
    letGo_ = false;
    readingFirst_.reset(); // what it reads is of before the step
    worker_ = new WorkerThread(
        [work = work_, step, whenMemoryRunsOut] {
            try {
                step(*work);
            } catch (const std::bad_alloc&) {
                whenMemoryRunsOut(*work);
            } catch (const std::exception& failure) { // no thread to be had: as if cancelled
                work->outcome = FinderOutcome{};
                work->outcome.cancelled = true;
                work->pathFailure = QString::fromStdString(failure.what());
            }
        },
        this);
    connect(worker_, &WorkerThread::ended, this, [this, work = work_] { finish(work); });
    return true;
}

void FinderSession::cancel()
{
    work_->progress.cancel = true;
    if (running_)
        QTimer::singleShot(kLetGoMilliseconds, this, [this, step = steps_] { letGo(step); });
}

// The step's thread keeps the work it waits in; the search starts anew.
void FinderSession::letGo(std::uint64_t step)
{
    if (step != steps_ || !running_)
        return; // it ended by itself, and another may run
    worker_->letGo();
    delete worker_;
    worker_ = nullptr;
    work_ = std::make_shared<Work>(work_->reader.ProcessId());
    work_->outcome.cancelled = true;
    work_->pathFailure = tr("The client did not answer a read of its memory, so the search was let go.");
    letGo_ = true;
    finish(work_);
}

void FinderSession::forget()
{
    if (!running_)
        work_->finder.Forget();
}

bool FinderSession::readFirst(std::size_t count, QObject* context, std::function<void(std::vector<FoundPlace>)> shown)
{
    if (readingFirst_ || running_)
        return false;
    auto reading = std::make_shared<const std::vector<FoundPlace>>(work_->finder.FirstUnread(count));
    readingFirst_ = reading;
    RunOffThread(
        context,
        [reader = reader(), reading] {
            std::vector<FoundPlace> places = *reading;
            ReadPlaces(*reader, places);
            return places;
        },
        [this, guard = QPointer<FinderSession>(this), reading, shown = std::move(shown)](std::vector<FoundPlace> places) {
            if (!guard || reading != readingFirst_)
                return; // a step started since, or the session is gone
            readingFirst_.reset();
            shown(std::move(places));
        });
    return true;
}

std::vector<FoundMapKey> FinderSession::firstMapKeys(std::size_t count) const
{
    return running_ ? std::vector<FoundMapKey>() : work_->keyFinder.First(count);
}

void FinderSession::finish(const std::shared_ptr<Work>& work)
{
    if (work != work_)
        return; // let go
    if (worker_) {
        worker_->deleteLater(); // its work has ended
        worker_ = nullptr;
    }
    running_ = false;
    if (scanningPaths_)
        emit pathsFound();
    else
        emit stepEnded(work_->outcome);
}
