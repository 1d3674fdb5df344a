#include "app/mapview/MapDocument.h"

#include "map/IndexedImage.h"
#include "map/MapLinks.h"
#include "map/MapReader.h"
#include "qtfiles/FileNames.h"
#include "qtfiles/QtConversions.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// Lines of a few screens' width are shown whole; longer ones (a line of
// megabytes would hold the memo for many seconds) end in a note.
constexpr qsizetype kLongestShownLine = 4096;

void AppendShownLine(QString& text, const std::string& bytes)
{
    const QString line = FromGbk(bytes);
    if (line.size() <= kLongestShownLine) {
        text += line;
        return;
    }
    text += QStringView(line).left(kLongestShownLine);
    text += QCoreApplication::translate("MapDocument", " ... (%1 more characters)").arg(line.size() - kLongestShownLine);
}

} // namespace

MapDocument::MapDocument(std::filesystem::path mapInfoPath)
    : mapInfoPath_(std::move(mapInfoPath)), walkability_(std::make_shared<const TMatrix>()),
      routes_(std::make_shared<MapRoutes>(walkability_))
{
}

LoadedMap MapDocument::load(const std::filesystem::path& path, const std::function<void()>& letPreviousGo)
{
    const OpenedMapFile file(path);
    if (file.FoundNoRegularFile()) {
        clearMap();
        return LoadedMap();
    }
    if (!file.IsOpen())
        throw FileFailure("open", ShownFileName(path), QString::fromStdString(file.OpenFailure()));
    file.RefuseTooLarge();
    QString linkText = readLinkText(path); // a bad MapInfo.txt fails while the previous map is still on show
    clearMap(); // the previous map's memory goes before the new one's is had
    if (letPreviousGo)
        letPreviousGo();
    MapLoad map = file.ReadCells();
    header_ = map.header;
    walkability_ = std::make_shared<const TMatrix>(std::move(map.matrix));
    routes_ = std::make_shared<MapRoutes>(walkability_);
    return LoadedMap{std::move(map.image), std::move(linkText)};
}

void MapDocument::clearMap()
{
    header_ = TMapHeader();
    routes_.reset(); // its working out cancelled, before the map's values go
    walkability_ = std::make_shared<const TMatrix>();
    routes_ = std::make_shared<MapRoutes>(walkability_);
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

// One text, made to its size once: lines kept one by one and joined would
// hold the text twice over, and the memo makes its own copy.
QString MapDocument::readLinkText(const std::filesystem::path& mapPath) const
{
    const MapInfoLinks links = ReadMapInfoLinks(mapInfoPath_, MapNameOf(GbkFileName(mapPath.filename())));
    if (!links.read)
        throw FileFailure("open", ShownFileName(mapInfoPath_), QString::fromStdString(links.failure));
    qsizetype mostCharacters = 0; // a character takes one byte or more
    for (const std::string& line : links.lines)
        mostCharacters += qsizetype(std::min(line.size(), std::size_t(kLongestShownLine) + 40)) + 1;
    QString text;
    text.reserve(mostCharacters);
    for (std::size_t i = 0; i < links.lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        AppendShownLine(text, links.lines[i]);
    }
    return text;
}
