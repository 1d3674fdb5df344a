#pragma once
// "Players": every client followed, one row each (PlayerList.h), the first
// the one the toolbar follows. A name is renamed in place (F2 or a double
// click); choosing a row makes it the lead and shows its map with it in the
// middle; "Follow a Client Too..." adds the client selected in the process
// list, "Remove" stops following the chosen one. Non-modal.

#include <QDialog>

class PlayerList;
class QPushButton;
class QTableView;

class PlayersWindow : public QDialog {
    Q_OBJECT
public:
    PlayersWindow(PlayerList& players, QWidget* parent);

    // The row chosen; -1: none.
    int chosenRow() const;
    void chooseRow(int row);

signals:
    void addWanted();
    // A row was chosen by the user (a click, or Enter).
    void playerChosen(int row);

private:
    void showButtons();

    PlayerList& players_;
    QTableView* table_;
    QPushButton* remove_;
};
