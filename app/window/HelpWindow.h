#pragma once
// "Keyboard and Mouse": every command of the window with its keys, what the
// mouse does where, and how to follow the player. The commands are read
// from the actions the window runs, the ones its toolbar and menus show, so
// the list cannot fall behind them.

#include <QDialog>
#include <QList>

class QAction;
class QTextBrowser;

// The commands the guide to following the player names, with their keys.
struct GuideCommands {
    const QAction& findAddress;
    const QAction& follow;
    const QAction& followMaps;
    const QAction& pickMap;
};

// The help as HTML, for these commands and the map menu's commands on a cell.
QString HelpHtml(const QList<QAction*>& commands, const QStringList& cellCommands, const GuideCommands& guide);

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    HelpWindow(const QList<QAction*>& commands, const QStringList& cellCommands, const GuideCommands& guide,
               QWidget* parent);

    // What the window shows, as plain text.
    QString text() const;

private:
    QTextBrowser* browser_;
};
