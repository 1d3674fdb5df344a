#include "MapDocument.h"

#include "IndexedImage.h"
#include "MapLinks.h"
#include "FileNames.h"
#include "MapReader.h"
#include "Route.h"
#include "QtConversions.h"


namespace {

// Lines of a few screens' width are shown whole; longer ones (a line of
// megabytes would hold the memo for many seconds) end in a note.
constexpr qsizetype kLongestShownLine = 4096;

QString ShownLine(const std::string& bytes)
{
    QString line = FromGbk(bytes);
    if (line.size() > kLongestShownLine)
        line = line.left(kLongestShownLine) + QStringLiteral(" ... (%1 more characters)").arg(line.size() - kLongestShownLine);
    return line;
}

} // namespace

MapDocument::MapDocument(std::filesystem::path mapInfoPath) : mapInfoPath_(std::move(mapInfoPath)) {}

void MapDocument::load(const std::filesystem::path& path)
{
    MapFileRead read = ReadMapFileTellingWhyNot(path);
    if (read.noRegularFile) {
        header_ = TMapHeader();
        walkability_ = TMatrix();
        picture_ = QImage();
        return;
    }
    if (!read.map)
        throw FileFailure("open", ShownFileName(path), QString::fromStdString(read.failure));
    QStringList lines = readLinkLines(path);
    MapLoad& map = *read.map;
    header_ = map.header;
    OpenFlaggedCells(map.matrix, map.image); // flagged cells can be walked, blocked or not
    walkability_ = std::move(map.matrix);
    picture_ = ToQImage(std::move(map.image));
    linkLines_ = std::move(lines);
}

std::optional<CellState> MapDocument::cellState(int x, int y) const
{
    if (picture_.isNull() || !picture_.rect().contains(x, y))
        return std::nullopt;
    switch (picture_.pixelIndex(x, y)) {
    case kEntryBlocked:
        return CellState::Blocked;
    case kEntryFlagged:
        return CellState::Flagged;
    default:
        return CellState::Open;
    }
}

QStringList MapDocument::readLinkLines(const std::filesystem::path& mapPath) const
{
    const MapInfoLinks links = ReadMapInfoLinks(mapInfoPath_, MapNameOf(GbkFileName(mapPath.filename())));
    if (!links.read)
        throw FileFailure("open", ShownFileName(mapInfoPath_), QString::fromStdString(links.failure));
    QStringList lines;
    for (const std::string& line : links.lines)
        lines.append(ShownLine(line));
    return lines;
}
