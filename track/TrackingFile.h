#pragma once
// A tracking file: what following the player needs after the client has
// restarted, kept by the user like a saved picture. UTF-8 text, one
// "key=value" a line:
//
//   # Tarvex tracking file
//   program=Client.exe
//   path=Client.exe+1A2B3C -> +10 -> +8
//   follow-maps=yes
//
// program is the client's name as the process list shows it; path the
// pointer path (PointerPath.h) to the player's x and y; follow-maps, when
// "yes", that the viewer shows the map the player is on (any other value,
// or none, is no). Empty lines and
// lines beginning with "#" are skipped, as are keys of other names.
//
// Contract: ReadTrackingFile reads a regular file of at most
// kMaxTrackingFileBytes without ever waiting on it (a FIFO or a device is
// refused at once); on failure file is empty and failure tells why, naming
// the key that is missing or wrong.

#include "track/PointerPath.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

inline constexpr char kTrackingFileSuffix[] = ".tarvex-track";
inline constexpr std::int64_t kMaxTrackingFileBytes = 64 * 1024;

struct TrackingFile {
    std::string program;
    PointerPath path;
    bool followAcrossMaps = false;
};

std::string TrackingFileText(const TrackingFile& file);

struct TrackingFileRead {
    std::optional<TrackingFile> file;
    std::string failure;
};
TrackingFileRead ParseTrackingFile(std::string_view text);
TrackingFileRead ReadTrackingFile(const std::filesystem::path& path);
