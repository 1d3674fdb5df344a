#include "app/finder/FinderWindow.h"

#include "app/finder/FinderSession.h"
#include "app/shared/OffThread.h"
#include "base/HexText.h"
#include "qtfiles/FileReplacing.h"
#include "track/PathsInClient.h"
#include "track/TrackingFile.h"

#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kShownCandidates = 100;
constexpr int kRefreshMilliseconds = 300;
constexpr int kAddressRole = Qt::UserRole;
constexpr int kCellRole = Qt::UserRole + 1;

QString HexAddress(std::uint32_t address)
{
    return QString::fromStdString(HexText(address, 8));
}

} // namespace

FinderWindow::FinderWindow(QWidget* parent) : QDialog(parent), refresh_(new QTimer(this))
{
    setObjectName(QStringLiteral("finderWindow"));
    setWindowTitle(tr("Find the Player's Address"));
    setModal(false);
    buildControls();
    refresh_->setInterval(kRefreshMilliseconds);
    connect(refresh_, &QTimer::timeout, this, &FinderWindow::showCandidates);
    updateControls();
}

void FinderWindow::buildControls()
{
    processLabel_ = new QLabel(this);
    processLabel_->setWordWrap(true);
    auto* guide = new QLabel(tr("Type where the player stands, or search the map on show if you do not know. "
                                "Then move the player and press \"I Moved\", or wait and press \"I Stood Still\", "
                                "until one address is left; \"Use\" follows it."),
                             this);
    guide->setWordWrap(true);

    positionEdit_ = new QLineEdit(this);
    positionEdit_->setObjectName(QStringLiteral("finderPosition"));
    positionEdit_->setPlaceholderText(tr("x:y"));
    keepPositionButton_ = new QPushButton(tr("Keep This Position"), this);
    keepPositionButton_->setObjectName(QStringLiteral("finderKeepPosition"));
    searchMapButton_ = new QPushButton(tr("Search the Map"), this);
    searchMapButton_->setObjectName(QStringLiteral("finderSearchMap"));
    searchMapButton_->setToolTip(tr("Keeps the places holding a cell of the map on show that the player can stand on"));
    movedButton_ = new QPushButton(tr("I Moved"), this);
    movedButton_->setObjectName(QStringLiteral("finderMoved"));
    stillButton_ = new QPushButton(tr("I Stood Still"), this);
    stillButton_->setObjectName(QStringLiteral("finderStill"));
    startOverButton_ = new QPushButton(tr("Start Over"), this);
    startOverButton_->setObjectName(QStringLiteral("finderStartOver"));
    progressBar_ = new QProgressBar(this);
    progressBar_->setRange(0, 1000);
    progressBar_->setTextVisible(false);
    cancelButton_ = new QPushButton(tr("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("finderCancel"));
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("finderStatus"));
    statusLabel_->setWordWrap(true);
    statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    candidates_ = new QTreeWidget(this);
    candidates_->setObjectName(QStringLiteral("finderCandidates"));
    candidates_->setHeaderLabels({tr("Address"), tr("Position")});
    candidates_->setRootIsDecorated(false);
    candidates_->setMouseTracking(true);
    candidates_->setUniformRowHeights(true);
    useButton_ = new QPushButton(tr("Use"), this);
    useButton_->setObjectName(QStringLiteral("finderUse"));
    useButton_->setToolTip(tr("Puts the address into the memory address box and ticks the box that reads it"));
    makeItLastButton_ = new QPushButton(tr("Make It Last"), this);
    makeItLastButton_->setObjectName(QStringLiteral("finderMakeItLast"));
    makeItLastButton_->setToolTip(tr("Finds the pointer paths that lead to the address from the client's program, "
                                     "which find it again after the client restarts"));
    paths_ = new QListWidget(this);
    paths_->setObjectName(QStringLiteral("finderPaths"));
    paths_->setMaximumHeight(90);
    saveTrackingButton_ = new QPushButton(tr("Save Tracking File..."), this);
    saveTrackingButton_->setObjectName(QStringLiteral("finderSaveTracking"));
    saveTrackingButton_->setToolTip(tr("Keeps the selected path in a file; \"Open Tracking File...\" in the memory "
                                       "address box's menu follows the player with it after a restart"));
    checkRestartButton_ = new QPushButton(tr("Check after a Restart"), this);
    checkRestartButton_->setObjectName(QStringLiteral("finderCheckRestart"));
    checkRestartButton_->setToolTip(tr("After the client has restarted, select its new row and open the finder again, "
                                       "type where the player stands (or open the map), then keep the paths that still "
                                       "lead to the player"));
    auto* mapKeyButton = new QPushButton(tr("Find Where the Client Keeps Its Map..."), this);
    mapKeyButton->setObjectName(QStringLiteral("finderMapKey"));
    mapKeyButton->setToolTip(tr("So that the viewer knows at once which map the player is on"));
    auto* closeButton = new QPushButton(tr("Close"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(processLabel_);
    layout->addWidget(guide);
    auto* steps = new QGridLayout;
    steps->addWidget(new QLabel(tr("The player is at:"), this), 0, 0);
    steps->addWidget(positionEdit_, 0, 1);
    steps->addWidget(keepPositionButton_, 0, 2);
    steps->addWidget(searchMapButton_, 1, 2);
    layout->addLayout(steps);
    auto* narrowing = new QHBoxLayout;
    narrowing->addWidget(movedButton_);
    narrowing->addWidget(stillButton_);
    narrowing->addStretch();
    narrowing->addWidget(startOverButton_);
    layout->addLayout(narrowing);
    auto* running = new QHBoxLayout;
    running->addWidget(progressBar_, 1);
    running->addWidget(cancelButton_);
    layout->addLayout(running);
    layout->addWidget(statusLabel_);
    layout->addWidget(candidates_, 1);
    auto* using_ = new QHBoxLayout;
    using_->addWidget(useButton_);
    using_->addWidget(makeItLastButton_);
    using_->addStretch();
    layout->addLayout(using_);
    layout->addWidget(paths_);
    auto* ending = new QHBoxLayout;
    ending->addWidget(saveTrackingButton_);
    ending->addWidget(checkRestartButton_);
    ending->addStretch();
    layout->addLayout(ending);
    auto* closing = new QHBoxLayout;
    closing->addWidget(mapKeyButton);
    closing->addStretch();
    closing->addWidget(closeButton);
    layout->addLayout(closing);
    resize(380, 560);

    connect(keepPositionButton_, &QPushButton::clicked, this, [this] { startStep(FinderStepKind::Position); });
    connect(positionEdit_, &QLineEdit::returnPressed, keepPositionButton_, &QPushButton::click);
    connect(searchMapButton_, &QPushButton::clicked, this, [this] { startStep(FinderStepKind::OnMap); });
    connect(movedButton_, &QPushButton::clicked, this, [this] { startStep(FinderStepKind::Moved); });
    connect(stillButton_, &QPushButton::clicked, this, [this] { startStep(FinderStepKind::Still); });
    connect(startOverButton_, &QPushButton::clicked, this, [this] {
        session_->forget();
        say(tr("Start again: type the position or search the map."));
        showCandidates();
        updateControls();
    });
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        session_->cancel();
        if (checking_) {
            checking_.reset();
            say(tr("Cancelled."));
            updateControls();
        }
    });
    connect(useButton_, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::uint32_t> address = chosenAddress())
            emit addressChosen(*address);
    });
    connect(candidates_, &QTreeWidget::itemDoubleClicked, useButton_, &QPushButton::click);
    connect(makeItLastButton_, &QPushButton::clicked, this, [this] {
        const std::optional<std::uint32_t> address = chosenAddress();
        if (!address || !session_->startPathScan(*address))
            return;
        paths_->clear();
        say(tr("Looking for the pointers that lead to %1...").arg(HexAddress(*address)));
        refresh_->start(100);
        updateControls();
    });
    connect(paths_, &QListWidget::itemSelectionChanged, this, &FinderWindow::updateControls);
    connect(saveTrackingButton_, &QPushButton::clicked, this, &FinderWindow::askWhereToSave);
    connect(checkRestartButton_, &QPushButton::clicked, this, &FinderWindow::checkPathsAfterRestart);
    connect(candidates_, &QTreeWidget::itemSelectionChanged, this, &FinderWindow::updateControls);
    connect(candidates_, &QTreeWidget::itemEntered, this, [this](QTreeWidgetItem* item) {
        emit candidateHovered(item->data(0, kCellRole).toPoint());
    });
    candidates_->viewport()->installEventFilter(this);
    connect(mapKeyButton, &QPushButton::clicked, this, &FinderWindow::mapKeyWanted);
    connect(closeButton, &QPushButton::clicked, this, &FinderWindow::close);
}

void FinderWindow::setProcess(std::int32_t processId, const QString& name)
{
    checking_.reset();
    delete session_;
    session_ = new FinderSession(processId, this);
    connect(session_, &FinderSession::stepEnded, this, &FinderWindow::onStepEnded);
    connect(session_, &FinderSession::pathsFound, this, &FinderWindow::onPathsFound);
    processName_ = name;
    processLabel_->setText(tr("Searching %1 (process %2).").arg(name).arg(processId));
    say(session_->refusal().isEmpty() ? tr("Type the position or search the map.")
                                      : tr("This process cannot be read. %1").arg(session_->refusal()));
    showCandidates();
    updateControls();
}

std::optional<std::int32_t> FinderWindow::process() const
{
    return session_ ? std::optional<std::int32_t>(session_->processId()) : std::nullopt;
}

void FinderWindow::setMap(std::shared_ptr<const TMatrix> map)
{
    map_ = std::move(map);
    updateControls();
}

std::uint64_t FinderWindow::candidateCount() const
{
    return session_ ? session_->count() : 0;
}

bool FinderWindow::isSearching() const
{
    return (session_ && session_->isRunning()) || checking_;
}

std::optional<std::uint32_t> FinderWindow::chosenAddress() const
{
    const QList<QTreeWidgetItem*> selected = candidates_->selectedItems();
    if (!selected.isEmpty())
        return selected.first()->data(0, kAddressRole).toUInt();
    if (candidateCount() == 1 && candidates_->topLevelItemCount() == 1)
        return candidates_->topLevelItem(0)->data(0, kAddressRole).toUInt();
    return std::nullopt;
}

void FinderWindow::startStep(FinderStepKind stepKind)
{
    if (!session_)
        return;
    std::pair<std::uint16_t, std::uint16_t> position{0, 0};
    if (stepKind == FinderStepKind::Position) {
        const auto typed = ParsePosition(positionEdit_->text().toStdString());
        if (!typed) {
            say(tr("\"%1\" is not a position: type x:y, for example 312:207.").arg(positionEdit_->text()));
            return;
        }
        position = *typed;
    }
    if (!session_->start(stepKind, position, map_))
        return;
    say(session_->hasScanned() ? tr("Looking at the candidates again...")
                               : tr("Searching all the memory the client can write..."));
    refresh_->start(100); // the progress, until the step ends
    updateControls();
}

void FinderWindow::onStepEnded(const FinderOutcome& outcome)
{
    const QLocale locale;
    QString text;
    if (outcome.processEnded)
        text = tr("The process has ended. Pick the game client in the process list and start over.");
    else if (session_->wasLetGo())
        text = tr("The client did not answer a read of its memory, so the search was let go with its candidates. "
                  "Start over.");
    else if (outcome.cancelled)
        text = tr("Cancelled; the candidates of before are kept.");
    else if (outcome.tooMany)
        text = tr("So many places hold a cell of this map that they would take more than %1 MiB. Type the "
                  "position instead.")
                   .arg(kMaxFinderMiB);
    else if (session_->count() == 0)
        text = tr("No candidate is left. Start over, and make sure the process is the game client.");
    else if (session_->count() == 1)
        text = tr("One address is left: press \"Use\" to follow it.");
    else
        text = tr("%1 candidates. Move the player and press \"I Moved\", or wait and press \"I Stood Still\".")
                   .arg(locale.toString(qulonglong(session_->count())));
    if (outcome.bytesAboveReach > 0)
        text += QLatin1Char(' ') + tr("%1 MiB of writable memory above 4 GiB were not searched: the tracker reads "
                                      "below 4 GiB only.")
                                       .arg(locale.toString(double(outcome.bytesAboveReach) / (1 << 20), 'f', 1));
    if (outcome.bytesNeverAnswering > 0)
        text += QLatin1Char(' ') + tr("%1 MiB of memory that the client fills in itself were left alone: a read of "
                                      "it would wait for ever.")
                                       .arg(locale.toString(double(outcome.bytesNeverAnswering) / (1 << 20), 'f', 1));
    say(text);
    refresh_->start(kRefreshMilliseconds);
    showCandidates();
    updateControls();
}

void FinderWindow::showPaths(const std::vector<PointerPath>& paths)
{
    shownPaths_ = paths;
    paths_->clear();
    for (const PointerPath& path : paths)
        paths_->addItem(QString::fromStdString(FormatPointerPath(path)));
    if (paths_->count() > 0)
        paths_->setCurrentRow(0);
}

void FinderWindow::onPathsFound()
{
    showPaths(session_->paths());
    const std::size_t found = session_->paths().size();
    const QString count = found == 1 ? tr("One path leads to the address.")
                                     : tr("%1 paths lead to the address, shortest first.").arg(found);
    say(found == 0 ? session_->pathFailure()
                   : count + QLatin1Char(' ') +
                         tr("Save one as a tracking file: it finds the player again after the client restarts."));
    refresh_->start(kRefreshMilliseconds);
    updateControls();
}

// In the client started anew: the paths that lead to the position typed, or
// to a cell of the map on show the player can stand on. The client is read
// off the window's thread; Cancel stops waiting for it.
void FinderWindow::checkPathsAfterRestart()
{
    std::function<bool(std::uint16_t x, std::uint16_t y)> isPlayer;
    const bool mapShown = map_ && map_->Columns() > 0 && map_->Rows() > 0;
    if (const auto typed = ParsePosition(positionEdit_->text().toStdString())) {
        isPlayer = [typed](std::uint16_t x, std::uint16_t y) { return x == typed->first && y == typed->second; };
    } else if (mapShown) {
        isPlayer = [map = map_](std::uint16_t x, std::uint16_t y) {
            return x < map->Columns() && y < map->Rows() && (*map)[x][y] != kWalkBlocked;
        };
    } else {
        say(tr("Type where the player stands, or open the map the player is on, to check the paths."));
        return;
    }
    struct Check {
        std::string failure;
        std::vector<PointerPath> leading;
    };
    auto checking = std::make_shared<const std::vector<PointerPath>>(shownPaths_);
    checking_ = checking;
    RunOffThread(
        this,
        [processId = session_->processId(), checking, isPlayer] {
            const PathsInClient client(processId);
            Check check{client.Failure(), {}};
            check.leading = client.StillLeading(*checking, [&](std::uint64_t address) {
                std::uint16_t pair[2] = {};
                return address <= 0xFFFFFFFCu && client.Reader().Read(address, pair, sizeof pair) == sizeof pair &&
                       isPlayer(pair[0], pair[1]); // little-endian, as the tracker reads them
            });
            return check;
        },
        [this, checking](const Check& check) {
            if (checking != checking_)
                return; // cancelled, or another process
            checking_.reset();
            if (check.failure.empty()) {
                showPaths(check.leading);
                say(tr("%1 of %2 paths still lead to the player.").arg(check.leading.size()).arg(checking->size()));
            } else {
                say(QString::fromStdString(check.failure));
            }
            updateControls();
        });
    say(tr("Checking the paths in the client..."));
    updateControls();
}

QStringList FinderWindow::pathTexts() const
{
    QStringList texts;
    for (int row = 0; row < paths_->count(); ++row)
        texts.append(paths_->item(row)->text());
    return texts;
}

void FinderWindow::askWhereToSave()
{
    const QString fileName = QFileDialog::getSaveFileName(
        this, tr("Save Tracking File"), processName_ + QLatin1String(kTrackingFileSuffix),
        tr("Tracking files (*%1)").arg(QLatin1String(kTrackingFileSuffix)));
    if (!fileName.isEmpty())
        saveTrackingFile(fileName);
}

bool FinderWindow::saveTrackingFile(const QString& fileName)
{
    const int row = paths_->currentRow();
    if (row < 0 || !paths_->item(row)->isSelected())
        return false;
    TrackingFile tracking;
    tracking.program = processName_.toStdString();
    tracking.path = shownPaths_[std::size_t(row)];
    if (completeTrackingFile_)
        completeTrackingFile_(tracking);
    const QByteArray text = QByteArray::fromStdString(TrackingFileText(tracking));
    try {
        ReplaceFileWith(fileName, [&text](QIODevice& file) { return file.write(text) == text.size(); });
    } catch (const WriteFailure& failure) {
        say(tr("Cannot save \"%1\": %2").arg(fileName, QString::fromStdString(failure.what())));
        return false;
    } catch (const std::runtime_error& failure) {
        say(QString::fromStdString(failure.what()));
        return false;
    }
    say(tr("Saved. \"Open Tracking File...\" in the memory address box's menu follows the player with it."));
    return true;
}

// The first candidates with what they hold now, the selection kept.
void FinderWindow::showCandidates()
{
    if (isSearching()) {
        progressBar_->setValue(int(session_->progress() * 1000));
        return;
    }
    if (!session_)
        showPlaces({});
    else
        session_->readFirst(kShownCandidates, this, [this](const std::vector<FoundPlace>& places) { showPlaces(places); });
}

void FinderWindow::showPlaces(const std::vector<FoundPlace>& places)
{
    const std::optional<std::uint32_t> selected =
        candidates_->selectedItems().isEmpty() ? std::nullopt : chosenAddress();
    if (candidates_->topLevelItemCount() != int(places.size())) {
        candidates_->clear();
        for (std::size_t i = 0; i < places.size(); ++i)
            new QTreeWidgetItem(candidates_);
    }
    for (int row = 0; row < int(places.size()); ++row) {
        const FoundPlace& place = places[std::size_t(row)];
        QTreeWidgetItem* item = candidates_->topLevelItem(row);
        item->setText(0, HexAddress(place.address));
        item->setText(1, QStringLiteral("%1:%2").arg(place.x).arg(place.y));
        item->setData(0, kAddressRole, place.address);
        item->setData(0, kCellRole, QPoint(place.x, place.y));
        item->setSelected(selected == place.address);
    }
    if (places.empty() || !isVisible())
        refresh_->stop();
    updateControls(); // a single candidate is chosen without a click
}

void FinderWindow::updateControls()
{
    const bool readable = session_ && session_->refusal().isEmpty();
    const bool idle = readable && !isSearching();
    const bool scanned = idle && session_->hasScanned();
    positionEdit_->setEnabled(idle);
    keepPositionButton_->setEnabled(idle);
    const bool mapShown = map_ && map_->Columns() > 0 && map_->Rows() > 0;
    searchMapButton_->setEnabled(idle && mapShown);
    searchMapButton_->setToolTip(!mapShown ? tr("Open the map the player is on first")
                                                  : tr("Keeps the places holding a cell of the map on show that the "
                                                       "player can stand on"));
    movedButton_->setEnabled(scanned);
    stillButton_->setEnabled(scanned);
    startOverButton_->setEnabled(scanned);
    progressBar_->setEnabled(readable && !idle);
    if (idle)
        progressBar_->setValue(0);
    cancelButton_->setEnabled(readable && !idle);
    useButton_->setEnabled(idle && chosenAddress().has_value());
    makeItLastButton_->setEnabled(idle && chosenAddress().has_value());
    saveTrackingButton_->setEnabled(idle && !paths_->selectedItems().isEmpty());
    checkRestartButton_->setEnabled(idle && paths_->count() > 0);
}

void FinderWindow::say(const QString& text)
{
    statusLabel_->setText(text);
}

void FinderWindow::showEvent(QShowEvent* event)
{
    refresh_->start(kRefreshMilliseconds);
    QDialog::showEvent(event);
}

bool FinderWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Leave)
        emit candidateHovered(std::nullopt);
    return QDialog::eventFilter(watched, event);
}

// Close, Esc and the title bar's close all come here.
void FinderWindow::reject()
{
    if (session_)
        session_->cancel();
    emit candidateHovered(std::nullopt);
    QDialog::reject();
}
