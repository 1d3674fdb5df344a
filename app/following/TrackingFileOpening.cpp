#include "app/following/TrackingFileOpening.h"

#include "app/shared/OffThread.h"
#include "process/ProcessList.h"
#include "qtfiles/FileNames.h"

#include <algorithm>
#include <filesystem>

namespace {

// The running processes of the program, but those taken, in ascending
// identifiers: the first where the player's path lands is the player's.
std::optional<ClientSource> FindTrackedPlayer(const TrackedPlayer& player, const std::vector<ProcessEntry>& processes,
                                              const std::vector<std::uint32_t>& taken, QString* failure)
{
    const QString program = QString::fromStdString(player.program);
    *failure = TrackingFileOpening::tr("no running process named \"%1\" is left to follow").arg(program);
    for (const ProcessEntry& process : processes) {
        const QString name = ShownFileName(std::filesystem::path(process.exeFile));
        if (name.compare(program, Qt::CaseInsensitive) != 0 ||
            std::find(taken.begin(), taken.end(), process.processId) != taken.end())
            continue;
        const TrackedPlayerPlaces places = ResolveTrackedPlayer(std::int32_t(process.processId), player);
        const ResolvedPointerPath& position = places.position;
        if (!position.address || *position.address > 0xFFFFFFFFu) {
            *failure = QString::fromStdString(position.address ? "above 4 GiB" : position.failure);
            continue;
        }
        return ClientSource{process.processId, process.startTime, name, std::uint32_t(*position.address),
                            MapKeyPlaceOf(places, player), player, {}};
    }
    return std::nullopt;
}

TrackingFileInClient FollowedInClients(TrackingFileInClient opened)
{
    TrackedPlayerPlaces places = ResolveTrackedPlayer(std::int32_t(opened.client), opened.file);
    opened.position = std::move(places.position);
    opened.mapKey = std::move(places.mapKey);
    const std::vector<ProcessEntry> processes = SnapshotProcesses();
    std::vector<std::uint32_t> taken{opened.client};
    for (std::size_t i = 0; i < opened.file.others.size(); ++i) {
        QString failure;
        if (std::optional<ClientSource> found = FindTrackedPlayer(opened.file.others[i], processes, taken, &failure)) {
            found->trackingFile = opened.fileName;
            taken.push_back(found->processId);
            opened.others.push_back(std::move(*found));
        } else {
            opened.othersNotFound << TrackingFileOpening::tr("player %1: %2").arg(i + 2).arg(failure);
        }
    }
    return opened;
}

} // namespace

void TrackingFileOpening::open(TrackingFile file, std::uint32_t client, QString fileName,
                               std::function<void(const TrackingFileInClient&)> opened)
{
    auto opening = std::make_shared<const TrackingFileInClient>(
        TrackingFileInClient{std::move(file), client, {}, {}, std::move(fileName), {}, {}});
    opening_ = opening;
    RunOffThread(
        this, [opening] { return FollowedInClients(*opening); },
        [this, opening, opened = std::move(opened)](const TrackingFileInClient& found) {
            if (opening != opening_)
                return; // another file since, or let go
            opening_.reset();
            opened(found);
        });
}
