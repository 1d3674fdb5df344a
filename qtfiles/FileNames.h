#pragma once
// File names as the system has them: on Linux a name is bytes, which need
// not be valid UTF-8 (archives made on Windows unpack names in GBK bytes).
// Names travel as std::filesystem::path, which keeps those bytes; they are
// decoded only to be shown.

#include <QString>
#include <QUrl>
#include <QVariant>

#include <atomic>
#include <filesystem>
#include <functional>
#include <vector>

// How a name (or a whole path) is shown: valid UTF-8 as it stands; else,
// when its bytes are valid GBK, decoded as GBK; else every byte outside
// printable ASCII escaped as \xB8. On Windows names are Unicode already.
QString ShownFileName(const std::filesystem::path& name);
// A path as a message names it: as ShownFileName shows it, and a path longer
// than maxCharacters cut in the middle ("/home/ann/game…/maps/deep").
QString ShownPathCut(const std::filesystem::path& path, int maxCharacters = 100);

// The entries of a folder, names kept byte for byte, "." and ".." left out,
// in the system's order. On failure: read is false and failure holds the
// system's text for the error.
struct FolderEntry {
    std::filesystem::path name; // the name only, no folder part
    bool isFolder = false;      // following symbolic links
};
struct FolderListing {
    bool read = false;
    QString failure;
    std::vector<FolderEntry> entries;
};
FolderListing ListFolder(const std::filesystem::path& folder, const std::atomic<bool>* cancel = nullptr);

// A command-line argument as the system's bytes, as the file list reads
// names: one in GBK bytes opens too (as text its bytes would be lost).
// Windows hands a program its arguments as text in the first place.
std::filesystem::path ArgumentBytes(int argc, char** argv, const QString& argument);

// A file name's bytes in the GBK code page, as "MapInfo.txt" writes names:
// a valid UTF-8 name converted, any other taken as GBK bytes already.
std::string GbkFileName(const std::filesystem::path& name);

// The entries of a folder that keep() takes, each with the name it is shown
// under and the name's own bytes, sorted as a person reads them (letter case
// aside), then by case and by bytes (ShownBefore): two names shown alike (one
// in UTF-8, one in GBK) are two entries, and the order never depends on the
// system's. When cancel turns true the listing stops and is not read.
struct ShownEntry {
    QString name;
    std::filesystem::path bytes;
};
bool ShownBefore(const ShownEntry& a, const ShownEntry& b);
struct ShownListing {
    bool read = false;
    QString failure; // as FolderListing's
    std::vector<ShownEntry> entries;
};
ShownListing ListShownEntries(const std::filesystem::path& folder, const std::function<bool(const FolderEntry&)>& keep,
                              const std::atomic<bool>* cancel = nullptr);

// A path kept byte for byte in a QVariant (item data), and back.
QVariant PathToVariant(const std::filesystem::path& path);
std::filesystem::path PathFromVariant(const QVariant& data);

// The path as Qt's file classes take it; only faithful where ShownFileName
// shows the bytes unchanged (valid UTF-8, or any name on Windows).
QString ToQtPath(const std::filesystem::path& path);
// The local file a "file:" URL names, as the system's bytes: its escapes
// undone byte for byte, so a name in GBK bytes comes through whole.
std::filesystem::path LocalPathBytes(const QUrl& url);
bool QtCanNamePath(const std::filesystem::path& path);
