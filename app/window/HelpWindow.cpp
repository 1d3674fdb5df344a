#include "app/window/HelpWindow.h"

#include "app/window/MainToolBar.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <utility>

namespace {

QString Keys(const QAction& command)
{
    QStringList keys;
    for (const QKeySequence& shortcut : command.shortcuts())
        keys.append(shortcut.toString(QKeySequence::NativeText));
    return keys.isEmpty() ? QStringLiteral("\u2014") : keys.join(QLatin1String(", "));
}

QString Row(const QString& first, const QString& second)
{
    return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(first.toHtmlEscaped(), second.toHtmlEscaped());
}

QString CommandRows(const QList<QAction*>& commands)
{
    QString rows;
    for (const QAction* command : commands)
        rows += Row(CommandName(*command), Keys(*command));
    return rows;
}

QString MouseRows(const QStringList& cellCommands)
{
    const std::pair<QString, QString> rows[] = {
        {HelpWindow::tr("Ctrl + wheel, or a pinch"), HelpWindow::tr("zooms in or out a fifth, the cell under the mouse kept in place")},
        {HelpWindow::tr("Wheel / Shift + wheel"), HelpWindow::tr("scrolls up and down / sideways")},
        {HelpWindow::tr("Drag with the left or middle button"), HelpWindow::tr("moves the map")},
        {HelpWindow::tr("Pointing at a cell"),
         HelpWindow::tr("the readout in a corner tells the cell, whether it is open, blocked or flagged, the map's size and the zoom")},
        {HelpWindow::tr("Right-click on the map"),
         HelpWindow::tr("the map menu, with these commands on the cell clicked: %1").arg(cellCommands.join(QLatin1String(", ")))},
        {HelpWindow::tr("Click or drag on the overview"), HelpWindow::tr("moves the view to that part of the map")},
        {HelpWindow::tr("Click a map file, or move through the list with the arrow keys"), HelpWindow::tr("shows that map")},
        {HelpWindow::tr("Double-click a folder, or Enter"), HelpWindow::tr("opens the folder")},
        {HelpWindow::tr("Right-click the process list"), HelpWindow::tr("starting a game client, finding the player's address")},
        {HelpWindow::tr("Drag a bar between the parts"),
         HelpWindow::tr("resizes them; a part dragged to 30 pixels or less is hidden until dragged back")},
        {HelpWindow::tr("Drop a map or a folder on the window"), HelpWindow::tr("opens it")},
    };
    QString html;
    for (const auto& [gesture, effect] : rows)
        html += Row(gesture, effect);
    return html;
}

// "Name" (keys), as the guide names a command.
QString Mention(const QAction& command)
{
    const QString name = QStringLiteral("\"%1\"").arg(command.text());
    return command.shortcuts().isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, Keys(command));
}

QString FollowingGuide(const GuideCommands& guide)
{
    const QStringList steps = {
        HelpWindow::tr("Start the game client, or start it from the viewer: \"Start a Game Client...\" in the process "
                       "list's context menu (on Linux the system may let the viewer read only the clients it started)."),
        HelpWindow::tr("Click the toolbar's first button to list the processes, and click the game client's row."),
        HelpWindow::tr("Type the address at which the client keeps the player's x and y into the \"%1\" box. If you do "
                       "not know it, %2 finds it: type where the player stands or search the map on show, move the "
                       "player a few times, and press \"Use\".")
            .arg(MainToolBar::tr("Memory address:").chopped(1), Mention(guide.findAddress)),
        HelpWindow::tr("Tick \"%1\". Once a second the player's cell is marked with a green X, the window's caption "
                       "shows x:y, and the map follows the player; %2 pauses and resumes following.")
            .arg(MainToolBar::tr("Read coordinates"), Mention(guide.follow)),
        HelpWindow::tr("To have the viewer show the map the player is on, open the folder of the game's maps and turn "
                       "on %1: the player's map is shown as soon as the positions single it out among the maps of "
                       "the folder, and again at every change of map. While several maps fit, %2 picks one.")
            .arg(Mention(guide.followMaps), Mention(guide.pickMap)),
        HelpWindow::tr("So that it works again after the client restarts, press \"Make It Last\" in the finder and "
                       "save a tracking file; next time \"Open Tracking File...\" in the address box's context menu "
                       "follows the player with it."),
    };
    QString html;
    for (const QString& step : steps)
        html += QStringLiteral("<li>%1</li>").arg(step.toHtmlEscaped());
    return html;
}

} // namespace

QString HelpHtml(const QList<QAction*>& commands, const QStringList& cellCommands, const GuideCommands& guide)
{
    return QStringLiteral("<h3>%1</h3><table cellspacing=4>%2</table>"
                          "<h3>%3</h3><table cellspacing=4>%4</table>"
                          "<h3>%5</h3><ol>%6</ol>")
        .arg(HelpWindow::tr("Keys"), CommandRows(commands), HelpWindow::tr("Mouse"), MouseRows(cellCommands),
             HelpWindow::tr("How to follow the player"), FollowingGuide(guide));
}

HelpWindow::HelpWindow(const QList<QAction*>& commands, const QStringList& cellCommands, const GuideCommands& guide,
                       QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Keyboard and Mouse"));
    browser_ = new QTextBrowser(this);
    browser_->setHtml(HelpHtml(commands, cellCommands, guide));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(browser_);
    column->addWidget(buttons);
    resize(560, 520);
}

QString HelpWindow::text() const
{
    return browser_->toPlainText();
}
