#pragma once
// Over the map area, when several players are followed: each player on the
// map on show as a ring of its colour with its name beside it, and, listed
// at the area's top left edge, those not in view: with an arrow pointing to
// them when they are on this map, with the name of their map when they are
// on another. Mouse events pass through it; the view asks playerAt() where
// a click landed.

#include <QColor>
#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

struct PlayerMark {
    int id = 0; // the player's row
    QString name;
    QColor colour;
    std::optional<QPoint> cell; // on the map on show; none: elsewhere or not known
    QString elsewhere;          // the map it is on instead; empty: not known
    bool ringed = true;         // false: the view rings it already (the first player)
};

class PlayersOverlay : public QWidget {
    Q_OBJECT
public:
    // Where a cell is drawn, in the overlay's pixels; none: no picture.
    using CellPlace = std::function<std::optional<QRectF>(QPoint cell)>;
    PlayersOverlay(CellPlace place, QWidget* parent);

    void setMarks(std::vector<PlayerMark> marks);
    const std::vector<PlayerMark>& marks() const { return marks_; }

    // A name (beside its ring or at the edge) or a ring there.
    std::optional<int> playerAt(QPoint point) const;

    // What is drawn for each player, as laid out now.
    struct Label {
        int id;
        QString text;
        QRect rect;                   // of the name
        std::optional<QPointF> ring;  // the ring's middle, when in view
        double ringRadius = 0;
        std::optional<double> arrow;  // at the edge: toward the player, radians, 0 = right, y down
    };
    std::vector<Label> labels() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What a label covers of the overlay.
    static QRegion coveredBy(const Label& label);
    int textWidth(const QString& text) const;

    CellPlace place_;
    std::vector<PlayerMark> marks_;
    mutable QHash<QString, int> textWidths_;
};
