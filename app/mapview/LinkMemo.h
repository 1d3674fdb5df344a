#pragma once
// The memo under the map: the map's lines of "MapInfo.txt", unwrapped, tab
// stops every eight characters. The user may type in it; the next map
// replaces its text.

#include <QPlainTextEdit>

class LinkMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LinkMemo(QWidget* parent);

    // Lines joined by line feeds.
    void showLines(const QString& text);
};
