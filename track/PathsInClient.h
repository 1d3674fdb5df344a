#pragma once
// Pointer paths followed in a running client: the process opened and its
// modules listed once, then each path resolved there.
//
// Contract: Failure() is empty when paths can be followed; otherwise it says
// why not (the process cannot be read: Refused(); or its modules cannot be
// listed), and Resolve() gives no address and that failure.

#include "process/ProcessModules.h"
#include "process/ProcessReader.h"
#include "track/MapKeyFinder.h"
#include "track/PointerPath.h"
#include "track/TrackingFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class PathsInClient {
public:
    explicit PathsInClient(std::int32_t processId);

    const std::string& Failure() const { return failure_; }
    bool Refused() const { return !reader_.Refusal().empty(); }
    const ProcessReader& Reader() const { return reader_; }
    const ModuleList& Modules() const { return modules_; }

    ResolvedPointerPath Resolve(const PointerPath& path) const;
    // Those of the paths that land on an address where `leads` says the
    // player is (PathsStillLeading, PointerPath.h); none after a failure.
    std::vector<PointerPath> StillLeading(const std::vector<PointerPath>& paths,
                                          const std::function<bool(std::uint64_t address)>& leads) const;

private:
    ProcessReader reader_;
    ModuleList modules_;
    std::string failure_;
};

// Where a path lands now in a running process, or why not (the process cannot
// be read, its modules cannot be listed, a step cannot be followed).
ResolvedPointerPath ResolvePointerPathIn(std::int32_t processId, const PointerPath& path);

// Where a tracking file's player lies in its client now: the position, and
// the map key when the player has one.
struct TrackedPlayerPlaces {
    ResolvedPointerPath position;
    std::optional<ResolvedPointerPath> mapKey;
};
TrackedPlayerPlaces ResolveTrackedPlayer(std::int32_t processId, const TrackedPlayer& player);
// The map key's place there, when the player has one and it lands below
// 4 GiB, where the tracker reads.
std::optional<MapKeyPlace> MapKeyPlaceOf(const TrackedPlayerPlaces& places, const TrackedPlayer& player);
