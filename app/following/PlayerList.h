#pragma once
// The players followed, as a table for the players' window: the first row is
// the player the toolbar follows (the window tells what it shows), the rows
// after it the clients followed beside it (FollowedClient), each in a colour
// of its own and named as the user likes. One of them is the lead, whose map
// is shown when following across maps: the first unless another is chosen.

#include "app/following/FollowedClient.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPoint>

#include <array>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

class QTimer;

// What a row shows besides the name and colour.
struct PlayerRow {
    QString process;               // "client.exe (1234)"
    QString source;                // where its position comes from
    std::filesystem::path map;     // empty: not known
    std::optional<QPoint> position;
    FollowedClient::State state = FollowedClient::State::Starting;
    QString stateNote;             // why, for the tooltip
};

class PlayerList : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kMostPlayers = 8;
    static const std::array<QColor, kMostPlayers> kColours;
    enum Column { NameColumn, ProcessColumn, SourceColumn, MapColumn, PositionColumn, StateColumn, ColumnCount };

    explicit PlayerList(QObject* parent);

    // The first player's row; its name follows the process until renamed.
    void setFirst(PlayerRow row);
    // The clients beside the first tick together, now in step with a timer
    // of the same interval that has just started (the first player's).
    void keepInStep();
    // Follows one more client. Throws when kMostPlayers are followed.
    FollowedClient& add(ClientSource source);
    // A row after the first: its client is followed no more.
    void remove(int row);
    // None for the first row.
    FollowedClient* client(int row) const;
    PlayerRow row(int row) const;
    // Of row(): its map and position alone, without working out its texts.
    std::pair<std::filesystem::path, std::optional<QPoint>> where(int row) const;
    QString name(int row) const;
    // The name the user gave; empty: the default, after the process.
    QString givenName(int row) const { return players_.at(std::size_t(row)).name; }
    QColor colour(int row) const;
    void rename(int row, const QString& name);
    void setColour(int row, QColor colour);

    int lead() const { return lead_; }
    void setLead(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // A row was added, removed or changed: what the map shows follows.
    void playersChanged();

private:
    struct Player {
        FollowedClient* client = nullptr; // none: the first
        QString name;                     // empty: the default, after the process
        QColor colour;
    };
    static QString stateText(FollowedClient::State state);
    QColor freeColour() const;
    void rowChanged(int row);

    QTimer* clock_; // of the clients after the first
    PlayerRow first_;
    std::vector<Player> players_;
    int lead_ = 0;
};
