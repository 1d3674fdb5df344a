#pragma once
// A tracking file: what following the player needs after the client has
// restarted, kept by the user like a saved picture. UTF-8 text, one
// "key=value" a line:
//
//   # Tarvex tracking file
//   program=Client.exe
//   path=Client.exe+1A2B3C -> +10 -> +8
//   follow-maps=yes
//   stay-on-top=yes
//   compact-view=yes
//   opacity=85
//   map-key=Client.exe+2B3C40 -> +24
//   map-key-form=text
//   map-folder=/home/player/game/map
//   map=56696C6C6167652E6D6170 Village.map
//   name=Main
//   colour=00FF00
//   player=2
//   program=Client.exe
//   path=Client.exe+1A2B3C -> +10 -> +8
//   name=Helper
//   colour=FF4040
//
// program is the client's name as the process list shows it; path the
// pointer path (PointerPath.h) to the player's x and y; follow-maps, when
// "yes", that the viewer shows the map the player is on (any other value,
// or none, is no); stay-on-top and compact-view the same for keeping the
// window beside the game, and opacity its opacity in compact view in percent
// (100 unless told; a number from 10 to 100). The rest is optional: map-key the pointer path to where
// the client keeps which map it is on, map-key-form how it keeps it (text,
// u32 or u16; MapKeyFinder.h), and the maps learned for its keys: the folder,
// then a line for each key, its bytes in hexadecimal and the map's file name.
// Names and the folder are the system's bytes, those outside printable ASCII
// (and "%") written as %XX, so that the file stays UTF-8 text; the program's
// name is written so only when it is not UTF-8 or holds a control character
// or "%". Empty lines and
// lines beginning with "#" are skipped, as are keys of other names.
//
// Several clients: what comes before the first "player=" line is the first
// player's and the file's; each "player=" line (its value only a label)
// begins the next player, whose program, path, map-key, map-key-form, name
// and colour follow it. name is the player's as the user calls it (empty:
// none given), colour its colour as RRGGBB in hexadecimal. At most
// kMostTrackedPlayers players.
//
// Contract: ReadTrackingFile reads a regular file of at most
// kMaxTrackingFileBytes without ever waiting on it (a FIFO or a device is
// refused at once); on failure file is empty and failure tells why, naming
// the key that is missing or wrong.

#include "track/MapKeyFinder.h"
#include "track/PointerPath.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr char kTrackingFileSuffix[] = ".tarvex-track";
inline constexpr std::int64_t kMaxTrackingFileBytes = 256 * 1024;
inline constexpr std::size_t kMostTrackedPlayers = 8;

struct TrackedMapKey {
    PointerPath path;
    MapKeyForm form = MapKeyForm::Number16;
};

// One client's: where its position and its map are kept.
struct TrackedPlayer {
    std::string program;
    PointerPath path;
    std::optional<TrackedMapKey> mapKey;
    std::string name;                   // UTF-8; empty: none given
    std::optional<std::uint32_t> colour; // 0xRRGGBB
};

// The first player's, the window's, and the players after the first.
struct TrackingFile : TrackedPlayer {
    std::vector<TrackedPlayer> others;
    bool followAcrossMaps = false;
    bool stayOnTop = false;
    bool compactView = false;
    int opacity = 100; // percent
    std::string mapFolder; // the system's bytes
    std::vector<std::pair<std::string, std::string>> learnedMaps; // key bytes, map file name
};

std::string TrackingFileText(const TrackingFile& file);

struct TrackingFileRead {
    std::optional<TrackingFile> file;
    std::string failure;
};
TrackingFileRead ParseTrackingFile(std::string_view text);
TrackingFileRead ReadTrackingFile(const std::filesystem::path& path);
