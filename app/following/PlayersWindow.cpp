#include "app/following/PlayersWindow.h"

#include "app/following/PlayerList.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

PlayersWindow::PlayersWindow(PlayerList& players, QWidget* parent)
    : QDialog(parent), players_(players), table_(new QTableView(this)), remove_(new QPushButton(tr("Remove"), this))
{
    setWindowTitle(tr("Players"));
    setObjectName(QStringLiteral("playersWindow"));
    table_->setObjectName(QStringLiteral("playerTable"));
    table_->setModel(&players_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* buttons = new QDialogButtonBox(this);
    auto* add = buttons->addButton(tr("Follow a Client Too..."), QDialogButtonBox::ActionRole);
    buttons->addButton(remove_, QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(table_);
    column->addWidget(buttons);
    resize(560, 240);

    connect(add, &QPushButton::clicked, this, &PlayersWindow::addWanted);
    connect(remove_, &QPushButton::clicked, this, [this] { players_.remove(chosenRow()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &PlayersWindow::showButtons);
    // Only the user's choice: a row removed moves the current one too.
    connect(table_, &QTableView::clicked, this, [this](const QModelIndex& clicked) { emit playerChosen(clicked.row()); });
    connect(table_, &QTableView::activated, this, [this](const QModelIndex& chosen) { emit playerChosen(chosen.row()); });
    connect(&players_, &PlayerList::rowsRemoved, this, &PlayersWindow::showButtons);
    chooseRow(players_.lead());
}

int PlayersWindow::chosenRow() const
{
    const QModelIndex current = table_->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PlayersWindow::chooseRow(int row)
{
    table_->selectRow(row);
    table_->selectionModel()->setCurrentIndex(players_.index(row, 0), QItemSelectionModel::NoUpdate);
    showButtons();
}

void PlayersWindow::showButtons()
{
    remove_->setEnabled(chosenRow() > 0); // the first follows the toolbar's controls
}
