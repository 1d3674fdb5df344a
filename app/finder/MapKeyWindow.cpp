#include "app/finder/MapKeyWindow.h"

#include "app/finder/FinderSession.h"
#include "base/HexText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr std::size_t kShownCandidates = 100;
constexpr std::uint64_t kListedFrom = 10000; // places, at most
constexpr int kPlaceRole = Qt::UserRole;
constexpr int kFormRole = Qt::UserRole + 1;

// A key as the list shows it: the number, or the text (GBK bytes decoded).
QString ShownKey(const FoundMapKey& found)
{
    if (found.place.form == MapKeyForm::Text)
        return QStringLiteral("\"%1\"").arg(QString::fromLocal8Bit(found.key.data(), qsizetype(found.key.size())));
    return QString::number(MapKeyNumber(found.key));
}

} // namespace

MapKeyWindow::MapKeyWindow(QWidget* parent) : QDialog(parent), progressTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("mapKeyWindow"));
    setWindowTitle(tr("Find Where the Client Keeps Its Map"));
    setModal(false);
    buildControls();
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this,
            [this] { progressBar_->setValue(session_ ? int(session_->progress() * 1000) : 0); });
    updateControls();
}

void MapKeyWindow::buildControls()
{
    processLabel_ = new QLabel(this);
    processLabel_->setWordWrap(true);
    auto* guide = new QLabel(tr("Each time the player goes to another map, press \"The Map Changed\"; while the "
                                "player stays on one, press \"Same Map\" now and then. While following across maps, "
                                "the viewer tells each change it sees itself. When one place is left, \"Use\" makes "
                                "it the map key: the viewer then knows the player's map at once."),
                             this);
    guide->setWordWrap(true);
    changedButton_ = new QPushButton(tr("The Map Changed"), this);
    changedButton_->setObjectName(QStringLiteral("mapKeyChanged"));
    sameButton_ = new QPushButton(tr("Same Map"), this);
    sameButton_->setObjectName(QStringLiteral("mapKeySame"));
    progressBar_ = new QProgressBar(this);
    progressBar_->setRange(0, 1000);
    progressBar_->setTextVisible(false);
    cancelButton_ = new QPushButton(tr("Cancel"), this);
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("mapKeyStatus"));
    statusLabel_->setWordWrap(true);
    candidates_ = new QTreeWidget(this);
    candidates_->setObjectName(QStringLiteral("mapKeyCandidates"));
    candidates_->setHeaderLabels({tr("Address"), tr("Kept as"), tr("Now")});
    candidates_->setRootIsDecorated(false);
    candidates_->setUniformRowHeights(true);
    useButton_ = new QPushButton(tr("Use"), this);
    useButton_->setObjectName(QStringLiteral("mapKeyUse"));
    auto* closeButton = new QPushButton(tr("Close"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(processLabel_);
    layout->addWidget(guide);
    auto* steps = new QHBoxLayout;
    steps->addWidget(changedButton_);
    steps->addWidget(sameButton_);
    steps->addStretch();
    layout->addLayout(steps);
    auto* running = new QHBoxLayout;
    running->addWidget(progressBar_, 1);
    running->addWidget(cancelButton_);
    layout->addLayout(running);
    layout->addWidget(statusLabel_);
    layout->addWidget(candidates_, 1);
    auto* ending = new QHBoxLayout;
    ending->addWidget(useButton_);
    ending->addStretch();
    ending->addWidget(closeButton);
    layout->addLayout(ending);
    resize(380, 420);

    connect(changedButton_, &QPushButton::clicked, this, [this] { tell(true); });
    connect(sameButton_, &QPushButton::clicked, this, [this] { tell(false); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { session_->cancel(); });
    connect(candidates_, &QTreeWidget::itemSelectionChanged, this, &MapKeyWindow::updateControls);
    connect(useButton_, &QPushButton::clicked, this, [this] {
        const std::optional<MapKeyPlace> place = chosenPlace();
        if (!place || !session_->startPathScan(place->address))
            return;
        used_ = place;
        emit mapKeyChosen(session_->processId(), *place);
        statusLabel_->setText(tr("This is the map key now. Looking for the pointers that lead to it..."));
        progressTimer_->start();
        updateControls();
    });
    connect(closeButton, &QPushButton::clicked, this, &MapKeyWindow::close);
}

void MapKeyWindow::setProcess(std::int32_t processId, const QString& name)
{
    delete session_;
    session_ = new FinderSession(processId, this);
    connect(session_, &FinderSession::stepEnded, this, [this](const FinderOutcome& outcome) { onStepEnded(outcome.cancelled); });
    connect(session_, &FinderSession::pathsFound, this, [this] {
        progressTimer_->stop();
        if (!session_->paths().empty() && used_) {
            emit mapKeyPathFound(TrackedMapKey{session_->paths().front(), used_->form});
            statusLabel_->setText(tr("This is the map key now; a tracking file saved from now on keeps it."));
        } else {
            statusLabel_->setText(tr("This is the map key now, until the client restarts. %1").arg(session_->pathFailure()));
        }
        updateControls();
    });
    processLabel_->setText(tr("Searching %1 (process %2).").arg(name).arg(processId));
    candidates_->clear();
    if (!session_->refusal().isEmpty()) {
        statusLabel_->setText(tr("This process cannot be read. %1").arg(session_->refusal()));
    } else if (session_->start(FinderStepKind::MapKeyLook, {}, nullptr)) {
        statusLabel_->setText(tr("Taking every place of the client's memory..."));
        progressTimer_->start();
    }
    updateControls();
}

std::optional<std::int32_t> MapKeyWindow::process() const
{
    return session_ ? std::optional<std::int32_t>(session_->processId()) : std::nullopt;
}

bool MapKeyWindow::tell(bool mapChanged)
{
    if (!session_ || session_->isRunning() || !session_->hasLookedForMapKey())
        return false;
    if (!session_->start(mapChanged ? FinderStepKind::MapChanged : FinderStepKind::MapSame, {}, nullptr))
        return false;
    statusLabel_->setText(tr("Looking at the places again..."));
    progressTimer_->start();
    updateControls();
    return true;
}

bool MapKeyWindow::isSearching() const
{
    return session_ && session_->isRunning();
}

std::uint64_t MapKeyWindow::candidateCount() const
{
    return session_ ? session_->mapKeyCount() : 0;
}

std::optional<MapKeyPlace> MapKeyWindow::chosenPlace() const
{
    const QList<QTreeWidgetItem*> selected = candidates_->selectedItems();
    const QTreeWidgetItem* row = !selected.isEmpty() ? selected.first()
                                 : candidateCount() == 1 && candidates_->topLevelItemCount() == 1 ? candidates_->topLevelItem(0)
                                                                                                  : nullptr;
    if (!row)
        return std::nullopt;
    return MapKeyPlace{row->data(0, kPlaceRole).toUInt(), MapKeyForm(row->data(0, kFormRole).toInt())};
}

void MapKeyWindow::onStepEnded(bool cancelled)
{
    progressTimer_->stop();
    const std::uint64_t count = session_->mapKeyCount();
    if (session_->wasLetGo())
        statusLabel_->setText(tr("The client did not answer a read of its memory, so the search was let go with its "
                                 "places. Close this window and open it again to start over."));
    else if (cancelled)
        statusLabel_->setText(tr("Cancelled; the places of before are kept."));
    else if (count == 0)
        statusLabel_->setText(tr("No place is left. Close this window and open it again to start over."));
    else if (count == 1)
        statusLabel_->setText(tr("One place is left: press \"Use\" to make it the map key."));
    else
        statusLabel_->setText(tr("%1 places. Press \"The Map Changed\" after each change of map, \"Same Map\" while it stays.")
                                  .arg(QLocale().toString(qulonglong(count))));
    showCandidates();
    updateControls();
}

// None while thousands of places say nothing yet.
void MapKeyWindow::showCandidates()
{
    candidates_->clear();
    if (!session_ || session_->mapKeyCount() > kListedFrom)
        return;
    for (const FoundMapKey& key : session_->firstMapKeys(kShownCandidates)) {
        auto* row = new QTreeWidgetItem(candidates_);
        row->setText(0, QString::fromStdString(HexText(key.place.address, 8)));
        row->setText(1, QString::fromLatin1(MapKeyFormName(key.place.form)));
        row->setText(2, ShownKey(key));
        row->setData(0, kPlaceRole, key.place.address);
        row->setData(0, kFormRole, int(key.place.form));
    }
}

void MapKeyWindow::updateControls()
{
    const bool idle = session_ && session_->refusal().isEmpty() && !session_->isRunning();
    const bool looked = idle && session_->hasLookedForMapKey();
    changedButton_->setEnabled(looked);
    sameButton_->setEnabled(looked);
    cancelButton_->setEnabled(session_ && session_->isRunning());
    progressBar_->setEnabled(session_ && session_->isRunning());
    if (idle)
        progressBar_->setValue(0);
    useButton_->setEnabled(looked && chosenPlace().has_value());
}

void MapKeyWindow::hideEvent(QHideEvent* event)
{
    if (session_)
        session_->cancel();
    QDialog::hideEvent(event);
}
