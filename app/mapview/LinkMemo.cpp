#include "app/mapview/LinkMemo.h"

LinkMemo::LinkMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("mmo1"));
    setFixedHeight(122);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    setTabStopDistance(8 * fontMetrics().averageCharWidth());
}

void LinkMemo::showLines(const QString& text)
{
    setPlainText(text);
}
