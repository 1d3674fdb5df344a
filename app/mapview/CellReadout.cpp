#include "app/mapview/CellReadout.h"

namespace {

constexpr int kCornerGap = 4;
constexpr int kMouseClearance = 8;

QString StateName(CellState state)
{
    switch (state) {
    case CellState::Blocked:
        return CellReadout::tr("blocked");
    case CellState::Flagged:
        return CellReadout::tr("flagged");
    case CellState::Open:
        break;
    }
    return CellReadout::tr("open");
}

int Percent(int shown, int natural)
{
    return int((200 * std::int64_t(shown) + natural) / (2 * std::int64_t(natural)));
}

} // namespace

QString CellReadoutText(QPoint cell, CellState state, QSize mapSize, QSize shownSize)
{
    const int across = Percent(shownSize.width(), mapSize.width());
    const int down = Percent(shownSize.height(), mapSize.height());
    const QString zoom = across == down ? QStringLiteral("%1%").arg(across)
                                        : QStringLiteral("%1% \u00D7 %2%").arg(across).arg(down);
    return CellReadout::tr("%1:%2 %3  %4 \u00D7 %5 cells  %6")
        .arg(cell.x())
        .arg(cell.y())
        .arg(StateName(state))
        .arg(mapSize.width())
        .arg(mapSize.height())
        .arg(zoom);
}

CellReadout::CellReadout(QWidget* area) : QLabel(area)
{
    setObjectName(QStringLiteral("cellReadout"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(32, 32, 32));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    hide();
}

void CellReadout::showText(const QString& text, QPoint avoid)
{
    if (text.isEmpty()) {
        hide();
        return;
    }
    if (text != this->text()) {
        setText(text);
        setAccessibleName(text);
        resize(sizeHint());
    }
    const QWidget* area = parentWidget();
    QRect place(QPoint(kCornerGap, area->height() - height() - kCornerGap), size());
    if (place.adjusted(-kMouseClearance, -kMouseClearance, kMouseClearance, kMouseClearance).contains(avoid))
        place.moveTopLeft(QPoint(area->width() - width() - kCornerGap, kCornerGap));
    move(place.topLeft());
    show();
    raise();
}

QString ReadoutText(const MapDocument& document, std::optional<QPoint> cell, QSize shownSize, const QString& route,
                    const QStringList& notes)
{
    const std::optional<CellState> state = cell ? document.cellState(cell->x(), cell->y()) : std::nullopt;
    QStringList parts;
    if (state)
        parts << CellReadoutText(*cell, *state, QSize(document.walkability().Columns(), document.walkability().Rows()), shownSize);
    if (!route.isEmpty())
        parts << route;
    QStringList lines;
    if (!parts.isEmpty())
        lines << parts.join(QLatin1String("  "));
    for (const QString& note : notes)
        if (!note.isEmpty())
            lines << note;
    return lines.join(QLatin1Char('\n'));
}
