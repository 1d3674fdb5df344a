#pragma once
// One process searched for the player's address, or for its map key: runs
// the finders' steps on a thread of their own, one at a time, and tells when
// each has ended. The window's thread only starts steps, cancels them and
// reads the outcome; it never reads the process itself.
//
// A step asked while another runs is refused (false). cancel() ends a
// running step: it stops at the next MiB it reads and keeps the candidates
// of before. A step whose read of the client does not answer within a
// second of cancel() is let go: it ends cancelled at once, its thread is
// left to finish by itself with the candidates, and the search starts anew
// (wasLetGo()). Nothing waits for a step's thread, not even the destructor.

#include "map/MapFormat.h"
#include "track/AddressFinder.h"
#include "track/MapKeyFinder.h"
#include "track/PointerPath.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class WorkerThread;

enum class FinderStepKind { Position, OnMap, Moved, Still, MapKeyLook, MapChanged, MapSame };

class FinderSession : public QObject {
    Q_OBJECT
public:
    FinderSession(std::int32_t processId, QObject* parent);
    ~FinderSession() override;
    struct Work; // what a step works on (a thread's, not the window's)

    std::int32_t processId() const;
    // Shared with whatever reads the process off the window's thread.
    std::shared_ptr<const ProcessReader> reader() const;
    // Why the process cannot be read; empty when it can.
    QString refusal() const;
    bool isRunning() const { return running_; }
    // The last step was let go, and its candidates with it.
    bool wasLetGo() const { return letGo_; }
    bool hasScanned() const;
    std::uint64_t count() const;
    bool hasLookedForMapKey() const;
    std::uint64_t mapKeyCount() const;
    // Share of the running step done, 0 to 1.
    double progress() const;

    // position for Position; the map on show for OnMap and Moved (none, or
    // an empty one: no map). Its standable cells are worked out on the
    // step's thread, once for each map.
    bool start(FinderStepKind kind, std::pair<std::uint16_t, std::uint16_t> position,
               std::shared_ptr<const TMatrix> map);
    // The pointer paths from the client's modules to the address
    // (PointerScan.h), as a step: pathsFound() when it has ended.
    bool startPathScan(std::uint64_t address);
    // The paths of the last path scan, shortest first; why there are none.
    const std::vector<PointerPath>& paths() const;
    const QString& pathFailure() const;
    void cancel();
    void forget();
    // The first candidates with what they hold now, read off the window's
    // thread and given to shown on the context's thread. Refused (false)
    // while a step runs or the read of before waits for its answer.
    bool readFirst(std::size_t count, QObject* context, std::function<void(std::vector<FoundPlace>)> shown);
    // The first places of the map key, with the keys they held at the last
    // step; none while a step runs.
    std::vector<FoundMapKey> firstMapKeys(std::size_t count) const;

signals:
    void stepEnded(FinderOutcome outcome);
    void pathsFound();

private:
    // On the step's thread. Memory that cannot be had ends it as a scan
    // that would keep too much does.
    bool run(const std::function<void(Work&)>& step, const std::function<void(Work&)>& whenMemoryRunsOut);
    void finish(const std::shared_ptr<Work>& work);
    void letGo(std::uint64_t step);

    std::shared_ptr<Work> work_; // shared with the step's thread
    WorkerThread* worker_ = nullptr; // the running step's
    std::shared_ptr<const TMatrix> map_;
    bool scanningPaths_ = false;
    bool running_ = false;
    std::uint64_t steps_ = 0; // started so far
    bool letGo_ = false;
    std::shared_ptr<const std::vector<FoundPlace>> readingFirst_; // the first candidates being read
};
