#include "MapDocument.h"

#include "IndexedImage.h"
#include "MapLinks.h"
#include "MapReader.h"
#include "Route.h"
#include "QtConversions.h"

#include <QFile>
#include <QFileInfo>

MapDocument::MapDocument(QString mapInfoPath) : mapInfoPath_(std::move(mapInfoPath)) {}

void MapDocument::load(const QString& path)
{
    std::optional<MapLoad> map = ReadMapFile(ToFilesystemPath(path));
    if (!map) {
        header_ = TMapHeader();
        walkability_ = TMatrix();
        picture_ = QImage();
        return;
    }
    QStringList lines = readLinkLines(path);
    header_ = map->header;
    OpenFlaggedCells(map->matrix, map->image); // flagged cells can be walked, blocked or not
    walkability_ = std::move(map->matrix);
    picture_ = ToQImage(std::move(map->image));
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

QStringList MapDocument::readLinkLines(const QString& mapPath) const
{
    QFile file(mapInfoPath_);
    if (!file.open(QIODevice::ReadOnly))
        throw FileFailure("open", mapInfoPath_, file.errorString());
    const QByteArray mapInfo = file.readAll();
    const std::string mapName = MapNameOf(ToGbk(QFileInfo(mapPath).fileName()).toStdString());
    QStringList lines;
    for (std::string_view line : MatchMapLinks(std::string_view(mapInfo.constData(), std::size_t(mapInfo.size())), mapName))
        lines.append(FromGbk(line));
    return lines;
}
