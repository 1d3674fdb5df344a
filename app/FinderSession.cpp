#include "app/FinderSession.h"

#include "track/PointerScan.h"
#include "track/ProcessModules.h"

#include <QThread>

FinderSession::FinderSession(std::int32_t processId, QObject* parent)
    : QObject(parent), reader_(processId), finder_(reader_), keyFinder_(reader_)
{
}

FinderSession::~FinderSession()
{
    if (thread_) {
        progress_.cancel = true;
        thread_->wait();
        delete thread_;
    }
}

double FinderSession::progress() const
{
    const std::uint64_t total = progress_.bytesTotal;
    return total == 0 ? 0.0 : double(progress_.bytesDone) / double(total);
}

bool FinderSession::start(FinderStepKind kind, std::pair<std::uint16_t, std::uint16_t> position,
                          std::shared_ptr<const TMatrix> map)
{
    if (thread_)
        return false;
    map_ = std::move(map);
    scanningPaths_ = false;
    return run([this, kind, position] { runStep(kind, position); },
               [this] {
                   outcome_ = FinderOutcome{};
                   outcome_.tooMany = true; // the memory for the candidates could not be had
               });
}

bool FinderSession::startPathScan(std::uint64_t address)
{
    if (thread_)
        return false;
    scanningPaths_ = true;
    paths_.clear();
    pathFailure_.clear();
    return run([this, address] { scanPaths(address); },
               [this] { pathFailure_ = tr("The client has more pointers than this computer's memory can index."); });
}

bool FinderSession::run(const std::function<void()>& work, const std::function<void()>& whenMemoryRunsOut)
{
    if (!reader_.Refusal().empty())
        return false;
    progress_.cancel = false;
    progress_.bytesDone = 0;
    progress_.bytesTotal = 0;
    thread_ = QThread::create([work, whenMemoryRunsOut] {
        try {
            work();
        } catch (const std::bad_alloc&) {
            whenMemoryRunsOut();
        }
    });
    connect(thread_, &QThread::finished, this, &FinderSession::finish);
    thread_->start();
    return true;
}

void FinderSession::scanPaths(std::uint64_t address)
{
    const ModuleList modules = ListModules(reader_.ProcessId());
    if (!modules.failure.empty()) {
        pathFailure_ = QString::fromStdString(modules.failure);
        return;
    }
    const std::vector<PointerAt> pointers =
        IndexPointers(reader_, modules.pointerWidth, progress_.cancel, [this](std::uint64_t done, std::uint64_t total) {
            progress_.bytesTotal = total;
            progress_.bytesDone = done;
        });
    paths_ = FindPointerPaths(pointers, modules.modules, address, {}, progress_.cancel);
    if (progress_.cancel)
        pathFailure_ = tr("Cancelled.");
    else if (paths_.empty())
        pathFailure_ = tr("No pointer path leads from the client's program or libraries to this address.");
}

void FinderSession::runStep(FinderStepKind kind, std::pair<std::uint16_t, std::uint16_t> position)
{
    if (map_ != cellsMap_) {
        cells_ = map_ ? StandableCellsOf(*map_) : StandableCells();
        cellsMap_ = map_;
    }
    switch (kind) {
    case FinderStepKind::Position:
        outcome_ = finder_.KeepPosition(position.first, position.second, progress_);
        break;
    case FinderStepKind::OnMap:
        outcome_ = finder_.KeepOnMap(cells_, progress_);
        break;
    case FinderStepKind::Moved:
        outcome_ = finder_.KeepMoved(cells_, progress_);
        break;
    case FinderStepKind::Still:
        outcome_ = finder_.KeepStill(progress_);
        break;
    case FinderStepKind::MapKeyLook:
        outcome_ = keyFinder_.Look(progress_);
        break;
    case FinderStepKind::MapChanged:
        outcome_ = keyFinder_.KeepChanged(progress_);
        break;
    case FinderStepKind::MapSame:
        outcome_ = keyFinder_.KeepSame(progress_);
        break;
    }
}

void FinderSession::cancel()
{
    progress_.cancel = true;
}

void FinderSession::forget()
{
    if (!thread_)
        finder_.Forget();
}

std::vector<FoundPlace> FinderSession::first(std::size_t count) const
{
    return thread_ ? std::vector<FoundPlace>() : finder_.First(count);
}

std::vector<FoundMapKey> FinderSession::firstMapKeys(std::size_t count) const
{
    return thread_ ? std::vector<FoundMapKey>() : keyFinder_.First(count);
}

void FinderSession::finish()
{
    thread_->deleteLater();
    thread_ = nullptr;
    if (scanningPaths_)
        emit pathsFound();
    else
        emit stepEnded(outcome_);
}
