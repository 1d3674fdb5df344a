#include "MapDocument.h"

#include "IndexedImage.h"
#include "MapLinks.h"
#include "FileNames.h"
#include "MapReader.h"
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

MapDocument::MapDocument(std::filesystem::path mapInfoPath)
    : mapInfoPath_(std::move(mapInfoPath)), walkability_(std::make_shared<const TMatrix>())
{
}

IndexedImage MapDocument::load(const std::filesystem::path& path, const std::function<void()>& letPreviousGo)
{
    QStringList lines;
    MapFileRead read = ReadMapFileTellingWhyNot(path, ReadingThreadsNow, MapParts::WalkValuesAndImage, [&] {
        lines = readLinkLines(path);
        clearMap();
        if (letPreviousGo)
            letPreviousGo();
    });
    if (read.noRegularFile) {
        clearMap();
        return IndexedImage();
    }
    if (!read.map)
        throw FileFailure("open", ShownFileName(path), QString::fromStdString(read.failure));
    MapLoad& map = *read.map;
    header_ = map.header;
    walkability_ = std::make_shared<const TMatrix>(std::move(map.matrix));
    linkLines_ = std::move(lines);
    return std::move(map.image);
}

void MapDocument::clearMap()
{
    header_ = TMapHeader();
    walkability_ = std::make_shared<const TMatrix>();
}

std::optional<CellState> MapDocument::cellState(int x, int y) const
{
    const TMatrix& walk = *walkability_;
    if (x < 0 || y < 0 || x >= walk.Columns() || y >= walk.Rows())
        return std::nullopt;
    switch (walk[x][y]) {
    case kWalkBlocked:
        return CellState::Blocked;
    case kWalkFlagged:
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
