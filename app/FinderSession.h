#pragma once
// One process searched for the player's address, or for its map key: runs
// the finders' steps on a thread of their own, one at a time, and tells when
// each has ended. The
// window's thread only starts steps, cancels them and reads the outcome.
//
// A step asked while another runs is refused (false). cancel() and the
// destructor end a running step at once: it stops at the next MiB it reads
// and keeps the candidates of before.

#include "track/AddressFinder.h"
#include "track/MapKeyFinder.h"
#include "track/PointerPath.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QThread;

enum class FinderStepKind { Position, OnMap, Moved, Still, MapKeyLook, MapChanged, MapSame };

class FinderSession : public QObject {
    Q_OBJECT
public:
    FinderSession(std::int32_t processId, QObject* parent);
    ~FinderSession() override;

    std::int32_t processId() const { return reader_.ProcessId(); }
    const ProcessReader& reader() const { return reader_; }
    // Why the process cannot be read; empty when it can.
    QString refusal() const { return QString::fromStdString(reader_.Refusal()); }
    bool isRunning() const { return thread_ != nullptr; }
    bool hasScanned() const { return finder_.HasScanned(); }
    std::uint64_t count() const { return finder_.Count(); }
    bool hasLookedForMapKey() const { return keyFinder_.HasLooked(); }
    std::uint64_t mapKeyCount() const { return keyFinder_.Count(); }
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
    const std::vector<PointerPath>& paths() const { return paths_; }
    const QString& pathFailure() const { return pathFailure_; }
    void cancel();
    void forget();
    // The first candidates with what they hold now; none while a step runs.
    std::vector<FoundPlace> first(std::size_t count) const;
    // The first places of the map key, with the keys they held at the last
    // step; none while a step runs.
    std::vector<FoundMapKey> firstMapKeys(std::size_t count) const;

signals:
    void stepEnded(FinderOutcome outcome);
    void pathsFound();

private:
    // On the step's thread. Memory that cannot be had ends it as a scan
    // that would keep too much does.
    void runStep(FinderStepKind kind, std::pair<std::uint16_t, std::uint16_t> position);
    void scanPaths(std::uint64_t address);
    bool run(const std::function<void()>& work, const std::function<void()>& whenMemoryRunsOut);
    void finish();

    ProcessReader reader_;
    AddressFinder finder_;
    MapKeyFinder keyFinder_;
    FinderProgress progress_;
    std::shared_ptr<const TMatrix> map_;
    std::shared_ptr<const TMatrix> cellsMap_; // the map cells_ were worked out for
    StandableCells cells_;
    FinderOutcome outcome_;
    std::vector<PointerPath> paths_;
    QString pathFailure_;
    bool scanningPaths_ = false;
    QThread* thread_ = nullptr;
};
