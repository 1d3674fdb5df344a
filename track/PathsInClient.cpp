#include "track/PathsInClient.h"

#include "track/PointerScan.h"

PathsInClient::PathsInClient(std::int32_t processId) : reader_(processId)
{
    if (!reader_.Refusal().empty()) {
        failure_ = reader_.Refusal();
        return;
    }
    modules_ = ListModules(processId);
    failure_ = modules_.failure;
}

ResolvedPointerPath PathsInClient::Resolve(const PointerPath& path) const
{
    if (!failure_.empty())
        return {std::nullopt, failure_};
    return ResolvePointerPath(path, modules_.modules, PointersReadBy(reader_, modules_.pointerWidth));
}

std::vector<PointerPath> PathsInClient::StillLeading(const std::vector<PointerPath>& paths,
                                                     const std::function<bool(std::uint64_t address)>& leads) const
{
    if (!failure_.empty())
        return {};
    return PathsStillLeading(paths, modules_.modules, PointersReadBy(reader_, modules_.pointerWidth), leads);
}

ResolvedPointerPath ResolvePointerPathIn(std::int32_t processId, const PointerPath& path)
{
    return PathsInClient(processId).Resolve(path);
}

TrackedPlayerPlaces ResolveTrackedPlayer(std::int32_t processId, const TrackedPlayer& player)
{
    const PathsInClient client(processId);
    TrackedPlayerPlaces places{client.Resolve(player.path), std::nullopt};
    if (player.mapKey)
        places.mapKey = client.Resolve(player.mapKey->path);
    return places;
}

std::optional<MapKeyPlace> MapKeyPlaceOf(const TrackedPlayerPlaces& places, const TrackedPlayer& player)
{
    if (!player.mapKey || !places.mapKey || !places.mapKey->address || *places.mapKey->address > 0xFFFFFFFFu)
        return std::nullopt;
    return MapKeyPlace{std::uint32_t(*places.mapKey->address), player.mapKey->form};
}
