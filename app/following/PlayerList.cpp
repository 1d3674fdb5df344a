#include "app/following/PlayerList.h"

#include "app/following/PlayerTracker.h"
#include "base/HexText.h"
#include "qtfiles/FileNames.h"

#include <QTimer>

#include <algorithm>
#include <stdexcept>
#include <tuple>

const std::array<QColor, PlayerList::kMostPlayers> PlayerList::kColours = {
    QColor(0, 255, 0),   QColor(255, 64, 64),  QColor(64, 200, 255), QColor(255, 220, 0),
    QColor(255, 80, 255), QColor(255, 150, 40), QColor(160, 120, 255), QColor(255, 255, 255),
};

PlayerList::PlayerList(QObject* parent) : QAbstractTableModel(parent), clock_(new QTimer(this))
{
    clock_->setInterval(1000);
    players_.push_back(Player{nullptr, {}, kColours[0]});
}

void PlayerList::keepInStep()
{
    if (clock_->isActive())
        clock_->start();
}

void PlayerList::setFirst(PlayerRow row)
{
    first_ = std::move(row);
    rowChanged(0);
}

QColor PlayerList::freeColour() const
{
    for (const QColor& colour : kColours)
        if (std::none_of(players_.begin(), players_.end(), [&](const Player& player) { return player.colour == colour; }))
            return colour;
    return kColours.back();
}

FollowedClient& PlayerList::add(ClientSource source)
{
    if (players_.size() >= std::size_t(kMostPlayers))
        throw std::runtime_error(tr("The viewer follows at most %1 clients at once. Remove one in the players' window "
                                    "first.")
                                     .arg(kMostPlayers)
                                     .toStdString());
    const int row = int(players_.size());
    beginInsertRows(QModelIndex(), row, row);
    auto* client = new FollowedClient(std::move(source), clock_, this);
    players_.push_back(Player{client, {}, freeColour()});
    endInsertRows();
    connect(client, &FollowedClient::changed, this, [this, client] {
        const auto found = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.client == client; });
        if (found != players_.end())
            rowChanged(int(found - players_.begin()));
    });
    emit playersChanged();
    return *client;
}

void PlayerList::remove(int row)
{
    if (row <= 0 || row >= int(players_.size()))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    FollowedClient* client = players_[std::size_t(row)].client;
    players_.erase(players_.begin() + row);
    endRemoveRows();
    client->disconnect(this);
    client->tracker().setRunning(false);
    client->deleteLater();
    if (lead_ == row)
        setLead(0);
    else if (lead_ > row)
        --lead_;
    emit playersChanged();
}

FollowedClient* PlayerList::client(int row) const
{
    return row >= 0 && row < int(players_.size()) ? players_[std::size_t(row)].client : nullptr;
}

PlayerRow PlayerList::row(int row) const
{
    const FollowedClient* followed = client(row);
    if (!followed)
        return first_;
    const ClientSource& source = followed->source();
    PlayerRow shown;
    shown.process = tr("%1 (%2)").arg(source.processName).arg(source.processId);
    shown.source = source.tracked ? tr("tracking file %1").arg(source.trackingFile)
                                  : tr("address %1").arg(QString::fromStdString(HexText(source.address, 8)));
    std::tie(shown.map, shown.position) = where(row);
    shown.state = followed->state();
    shown.stateNote = followed->stateNote();
    return shown;
}

std::pair<std::filesystem::path, std::optional<QPoint>> PlayerList::where(int row) const
{
    const FollowedClient* followed = client(row);
    if (!followed)
        return {first_.map, first_.position};
    const std::optional<PlayerPosition>& position = followed->position();
    return {followed->map(), position ? std::optional<QPoint>(QPoint(position->x, position->y)) : std::nullopt};
}

QString PlayerList::name(int row) const
{
    const Player& player = players_.at(std::size_t(row));
    if (!player.name.isEmpty())
        return player.name;
    if (player.client)
        return tr("%1 %2").arg(player.client->source().processName).arg(player.client->source().processId);
    return first_.process.isEmpty() ? tr("Player") : first_.process;
}

QColor PlayerList::colour(int row) const
{
    return players_.at(std::size_t(row)).colour;
}

void PlayerList::rename(int row, const QString& name)
{
    players_.at(std::size_t(row)).name = name.simplified();
    rowChanged(row);
}

void PlayerList::setColour(int row, QColor colour)
{
    players_.at(std::size_t(row)).colour = colour;
    rowChanged(row);
}

void PlayerList::setLead(int row)
{
    if (row < 0 || row >= int(players_.size()) || row == lead_)
        return;
    lead_ = row;
}

void PlayerList::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    emit playersChanged();
}

int PlayerList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(players_.size());
}

int PlayerList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString PlayerList::stateText(FollowedClient::State state)
{
    switch (state) {
    case FollowedClient::State::Stopped:
        return tr("not reading");
    case FollowedClient::State::Starting:
        return tr("starting");
    case FollowedClient::State::Reading:
        return tr("following");
    case FollowedClient::State::Ended:
        return tr("ended");
    case FollowedClient::State::Unreadable:
        return tr("cannot be read");
    case FollowedClient::State::Unanswered:
        return tr("not answering");
    }
    return {};
}

QVariant PlayerList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const PlayerRow shown = row(index.row());
    if (role == Qt::DecorationRole && index.column() == NameColumn)
        return colour(index.row());
    if (role == Qt::ToolTipRole && index.column() == StateColumn)
        return shown.stateNote.isEmpty() ? QVariant() : shown.stateNote;
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return name(index.row());
    case ProcessColumn:
        return shown.process;
    case SourceColumn:
        return shown.source;
    case MapColumn:
        return shown.map.empty() ? QString() : ShownFileName(shown.map);
    case PositionColumn:
        return shown.position ? tr("%1:%2").arg(shown.position->x()).arg(shown.position->y()) : QString();
    case StateColumn:
        return stateText(shown.state);
    default:
        return {};
    }
}

QVariant PlayerList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const char* const headers[ColumnCount] = {QT_TR_NOOP("Name"), QT_TR_NOOP("Process"), QT_TR_NOOP("Position from"),
                                              QT_TR_NOOP("Map"), QT_TR_NOOP("x:y"), QT_TR_NOOP("State")};
    return section >= 0 && section < ColumnCount ? tr(headers[section]) : QVariant();
}

Qt::ItemFlags PlayerList::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.column() == NameColumn ? flags | Qt::ItemIsEditable : flags;
}

bool PlayerList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != NameColumn || !index.isValid())
        return false;
    rename(index.row(), value.toString());
    return true;
}
