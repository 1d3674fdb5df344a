#include "app/window/MainWindow.h"

#include "app/browser/DirectoryList.h"
#include "app/browser/DriveSelector.h"
#include "app/browser/MapFileList.h"
#include "app/browser/OpenPath.h"
#include "app/browser/WorkingDirectory.h"
#include "app/finder/FinderWindow.h"
#include "app/finder/MapKeyWindow.h"
#include "app/following/FollowClientDialog.h"
#include "app/following/MapFollower.h"
#include "app/following/PlayerList.h"
#include "app/following/PlayersWindow.h"
#include "app/following/PlayerTracker.h"
#include "app/following/ProcessPicker.h"
#include "app/following/ClientStarter.h"
#include "app/following/TrackingFileOpening.h"
#include "app/mapview/CellReadout.h"
#include "app/mapview/GoToCell.h"
#include "app/mapview/ImageControl.h"
#include "app/mapview/LinkMemo.h"
#include "app/mapview/MapView.h"
#include "app/routes/DistanceMeasure.h"
#include "app/routes/RoutePlanner.h"
#include "app/shared/OffThread.h"
#include "app/shared/TightLayout.h"
#include "app/shared/WindowStyle.h"
#include "app/window/AboutBox.h"
#include "app/window/AccessibleRoles.h"
#include "app/window/BesideTheGame.h"
#include "app/window/BrowserPanel.h"
#include "app/window/FailureBox.h"
#include "app/window/HelpWindow.h"
#include "app/window/MapMenu.h"
#include "app/window/PanelSplitter.h"
#include "app/window/WindowPlacement.h"
#include "base/HexText.h"
#include "map/MapReader.h"
#include "qtfiles/BitmapFile.h"
#include "qtfiles/FileNames.h"
#include "qtfiles/QtConversions.h"
#include "track/PathsInClient.h"
#include "track/TrackingFile.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QScreen>
#include <QTimer>

#include <stdexcept>

namespace {

// A window of its own opened for the first time goes beside the map area,
// so that what it marks on the map stays in sight.
void PlaceBesideMap(QWidget* window, const QWidget& mainWindow, const QWidget& mapArea)
{
    const QRect map(mapArea.mapToGlobal(QPoint(0, 0)), mapArea.size());
    window->move(PlaceBeside(mainWindow.frameGeometry(), map, window->sizeHint().grownBy(kUsualFrame),
                             mainWindow.screen()->availableGeometry()));
}

// A window of its own brought in front of the others, ready for the keyboard.
void ShowInFront(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

// Makes a font the application's for as long as it lives. A line edit and a
// text box lay their first, empty text out in the application's font before
// they take the window's; loading that font, which the window never shows,
// cost the start a millisecond. Dialogs, menus and tooltips keep the
// application's font.
class ApplicationFontWhileAlive {
public:
    explicit ApplicationFontWhileAlive(const QFont& font) : kept_(QApplication::font()) { QApplication::setFont(font); }
    ~ApplicationFontWhileAlive() { QApplication::setFont(kept_); }
    ApplicationFontWhileAlive(const ApplicationFontWhileAlive&) = delete;
    ApplicationFontWhileAlive& operator=(const ApplicationFontWhileAlive&) = delete;

private:
    const QFont kept_;
};

constexpr int kPlayersMapNoteMs = 4000;

} // namespace

MainWindow::MainWindow(const QString& mapInfoPath, const QString& startDirectory, QWidget* parent)
    : QWidget(parent), document_(ToFilesystemPath(mapInfoPath)), runModal_([](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; })
{
    InstallAccessibleRoles();
    setWindowTitle(ApplicationTitle());
    setWindowIcon(ApplicationIcon());
    setFont(WindowFont());
    const ApplicationFontWhileAlive windowFontWhileBuilding(font());
    resize(688, 582);

    buildCommands();
    driveSelector_ = new DriveSelector(this);
    directoryList_ = new DirectoryList(this);
    fileList_ = new MapFileList(this);
    processPicker_ = new ProcessPicker(this);
    mapView_ = new MapView(this);
    linkMemo_ = new LinkMemo(this);
    tracker_ = new PlayerTracker(this);
    routes_ = new RoutePlanner(document_, this);
    measure_ = new DistanceMeasure(document_, this);
    follower_ = new MapFollower(this);
    players_ = new PlayerList(this);
    trackingFileOpening_ = new TrackingFileOpening(this);
    clientStarter_ = new ClientStarter(this);

    auto* column = TightLayout<QVBoxLayout>(this);
    column->addWidget(toolBar_);
    auto* middle = new QWidget(this);
    auto* row = TightLayout<QHBoxLayout>(middle);
    auto* browser = new BrowserPanel(driveSelector_, directoryList_, fileList_, processPicker_, middle);
    row->addWidget(browser);
    row->addWidget(mapView_, 1);
    column->addWidget(middle, 1);
    auto* aboveMemo = new PanelSplitter(linkMemo_, PanelSplitter::Side::Below, middle, this);
    aboveMemo->setObjectName(QStringLiteral("spl2"));
    column->addWidget(aboveMemo);
    column->addWidget(linkMemo_);
    beside_ = new BesideTheGame(this, {browser, aboveMemo, linkMemo_});

    processPicker_->addActions({startClientCommand_, findAddressCommand_, mapKeyCommand_, followTooCommand_});
    processPicker_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connectParts();
    setTabOrderByName();
    connect(new DropOpener(this), &DropOpener::dropped, this,
            [this](const QUrl& url) { runCommand([this, url] { openPath(DroppedPath(url)); }); });
    runCommand([this, startDirectory] { enterStartDirectory(ToFilesystemPath(startDirectory)); });
}

// A window made smaller than it is gives up memo lines, not the map file
// list's rows: that list keeps at least four.
void MainWindow::fitHeightInto(int height)
{
    constexpr int smallestMemo = 40;
    const int usableFileList = 4 * fileList_->fontMetrics().height() + 2 * fileList_->frameWidth();
    const int excess = minimumSizeHint().height() + std::max(0, usableFileList - fileList_->minimumHeight()) - height;
    if (excess > 0)
        linkMemo_->setFixedHeight(std::max(smallestMemo, linkMemo_->height() - excess));
}

void MainWindow::buildCommands()
{
    commands_.processList = addCommand(QT_TR_NOOP("List Processes"), "execute", {}, [this] { refreshProcesses(); });
    addCommand(QT_TR_NOOP("Refresh"), nullptr, {Qt::Key_F5}, [this] { processPicker_->refreshKeepingSelection(); });
    commands_.zoomIn = addCommand(QT_TR_NOOP("Zoom In"), "zoom-in", {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
                                  [this] { mapView_->zoomIn(); });
    commands_.zoomOut = addCommand(QT_TR_NOOP("Zoom Out"), "zoom-out", {Qt::CTRL | Qt::Key_Minus}, [this] { mapView_->zoomOut(); });
    commands_.naturalSize = addCommand(QT_TR_NOOP("Natural Size"), "view", {Qt::CTRL | Qt::Key_0}, [this] { mapView_->showNaturalSize(); });
    commands_.save = addCommand(QT_TR_NOOP("Save..."), "save", {QKeySequence::Save}, [this] { save(); });
    commands_.about = addCommand(QT_TR_NOOP("About"), "context-help", {Qt::Key_F1}, [this] { about(); });
    commands_.exit = addCommand(QT_TR_NOOP("Exit"), "exit", {Qt::CTRL | Qt::Key_Q}, [this] { close(); });
    fitCommand_ = addCommand(QT_TR_NOOP("Fit"), nullptr, {Qt::CTRL | Qt::Key_9}, [this] { mapView_->fitToArea(); });
    goToCellCommand_ = addCommand(QT_TR_NOOP("Go to Cell..."), nullptr, {Qt::CTRL | Qt::Key_G}, [this] { goToCell(); });
    overviewCommand_ = addCommand(QT_TR_NOOP("Overview"), nullptr, {Qt::Key_O}, [this] { mapView_->setOverviewWanted(overviewCommand_->isChecked()); });
    overviewCommand_->setCheckable(true);
    overviewCommand_->setChecked(true);
    gridCommand_ = addCommand(QT_TR_NOOP("Grid"), nullptr, {Qt::Key_G}, [this] { mapView_->setGridWanted(gridCommand_->isChecked()); });
    gridCommand_->setCheckable(true);
    gridCommand_->setChecked(true);
    copyPictureCommand_ = addCommand(QT_TR_NOOP("Copy Picture"), nullptr, {}, [this] {
        QApplication::clipboard()->setImage(ToQImage(mapView_->picture()));
    });
    clearRouteCommand_ = addCommand(QT_TR_NOOP("Clear Route"), nullptr, {Qt::Key_Escape}, [this] { routes_->clear(); });
    clearRouteCommand_->setEnabled(false); // Escape stays free for the controls until a route is shown
    endMeasureCommand_ = addCommand(QT_TR_NOOP("End Measuring"), nullptr, {Qt::Key_Escape}, [this] { measure_->stop(); });
    endMeasureCommand_->setEnabled(false);
    followCommand_ = addCommand(QT_TR_NOOP("Follow the Player"), nullptr, {Qt::Key_F}, [] {});
    followCommand_->setCheckable(true);
    followCommand_->setChecked(true);
    followMapsCommand_ = addCommand(QT_TR_NOOP("Follow Across Maps"), nullptr, {Qt::Key_M}, [] {});
    followMapsCommand_->setCheckable(true);
    pickMapCommand_ = addCommand(QT_TR_NOOP("Pick the Player's Map..."), nullptr, {Qt::SHIFT | Qt::Key_M}, [this] { pickPlayersMap(); });
    mapKeyCommand_ = addCommand(QT_TR_NOOP("Find Where the Client Keeps Its Map..."), nullptr, {}, [this] { openMapKeyWindow(); });
    findAddressCommand_ = addCommand(QT_TR_NOOP("Find the Player's Address..."), nullptr, {QKeySequence::Find}, [this] { openFinder(); });
    toolBar_ = new MainToolBar(commands_, this);
    commands_.processList->setToolTip(tr("List Processes (F5 keeps the selected one)"));
    toolBar_->addAddressMenuCommand(findAddressCommand_);
    openTrackingFileCommand_ = addCommand(QT_TR_NOOP("Open Tracking File..."), nullptr, {}, [this] { askForTrackingFile(); });
    toolBar_->addAddressMenuCommand(openTrackingFileCommand_);
    toolBar_->addAddressMenuCommand(mapKeyCommand_);
    startClientCommand_ = addCommand(QT_TR_NOOP("Start a Game Client..."), nullptr, {}, [this] { clientStarter_->start(runModal_); });
    helpCommand_ = addCommand(QT_TR_NOOP("Keyboard and Mouse"), nullptr, {Qt::SHIFT | Qt::Key_F1}, [this] { showHelp(); });
    trailCommand_ = addCommand(QT_TR_NOOP("Trail"), nullptr, {Qt::Key_T}, [this] { showTrail(); });
    trailCommand_->setCheckable(true);
    trailCommand_->setChecked(true);
    playersCommand_ = addCommand(QT_TR_NOOP("Players..."), nullptr, {Qt::Key_P}, [this] { showPlayersWindow(); });
    followTooCommand_ = addCommand(QT_TR_NOOP("Follow This Client Too..."), nullptr, {}, [this] { followClientToo(); });
    stayOnTopCommand_ = addCommand(QT_TR_NOOP("Stay on Top"), nullptr, {Qt::CTRL | Qt::Key_T},
                                   [this] { beside_->setStayOnTop(stayOnTopCommand_->isChecked()); });
    stayOnTopCommand_->setCheckable(true);
    compactCommand_ = addCommand(QT_TR_NOOP("Compact View"), nullptr, {Qt::Key_F11},
                                 [this] { beside_->setCompact(compactCommand_->isChecked()); });
    compactCommand_->setCheckable(true);
    auto* opacities = new QActionGroup(this);
    for (const int percent : BesideTheGame::kOpacities) {
        QAction* opacity = opacities->addAction(tr("%1%").arg(percent));
        opacity->setCheckable(true);
        opacity->setChecked(percent == 100);
        connect(opacity, &QAction::triggered, this, [this, percent] { beside_->setOpacity(percent); });
        opacityCommands_.append(opacity);
    }
}

QAction* MainWindow::addCommand(const char* text, const char* icon, const QList<QKeySequence>& shortcuts,
                                const std::function<void()>& command)
{
    auto* action = new QAction(tr(text), this);
    if (icon)
        action->setIcon(IconNamed(icon));
    action->setShortcuts(shortcuts);
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    addAction(action);
    return action;
}

void MainWindow::connectParts()
{
    connect(driveSelector_, &DriveSelector::driveChosen, this,
            [this](const QString& root) { runCommand([this, root] { enterDirectory(ToFilesystemPath(root)); }); });
    connect(directoryList_, &DirectoryList::directoryActivated, this,
            [this](const std::filesystem::path& folder) { runCommand([this, folder] { enterDirectory(folder); }); });
    connect(fileList_, &MapFileList::fileChosen, this, [this] { runCommand([this] { openSelectedMap(); }); });
    connect(fileList_, &MapFileList::directoryGone, this, [this] { runCommand([this] { leaveGoneDirectory(); }); });
    connect(fileList_, &MapFileList::directoryUnreadable, this, [this](const QString& reason) {
        showFailure(tr("Cannot list the folder %1. %2")
                        .arg(QString::fromStdString(QuotedFolder(fileList_->directory())), reason));
    });
    connect(processPicker_, &ProcessPicker::selectedProcessChanged, this, [this] {
        tracker_->setProcess(processPicker_->selectedProcessId(), processPicker_->selectedStartTime());
        letTrackingFileGo();
        if (processPicker_->selectedProcessId() != trailProcess_) {
            trail_ = PlayerTrail(); // another player's
            trailProcess_ = processPicker_->selectedProcessId();
            showTrail();
        }
        firstAccess_.reset();
        firstAccessNote_.clear();
        firstPosition_.reset();
        showFirstPlayerRow();
        showTrackingNote();
    });
    connect(toolBar_, &MainToolBar::addressTextChanged, tracker_, &PlayerTracker::setAddressText);
    connect(toolBar_, &MainToolBar::addressTextChanged, this, &MainWindow::letTrackingFileGo);
    connect(toolBar_, &MainToolBar::addressTextChanged, this, &MainWindow::showFirstPlayerRow);
    connect(clientStarter_, &ClientStarter::clientListed, this, [this](std::uint32_t client) {
        processPicker_->refreshKeepingSelection();
        processPicker_->selectProcess(client);
    });
    // Ages go on while no tick comes.
    auto* trailFading = new QTimer(this);
    connect(trailFading, &QTimer::timeout, this, &MainWindow::showTrail);
    trailFading->start(10000);
    connect(toolBar_, &MainToolBar::trackingClicked, this,
            [this](bool ticked) { runCommand([this, ticked] { setTracking(ticked); }); });
    connect(tracker_, &PlayerTracker::processAccessRead, this, [this](std::uint32_t processId, ProcessAccess access) {
        processPicker_->showAccess(processId, access);
        firstAccess_ = access;
        firstAccessNote_ = ProcessAccessNote(processId, access);
        toolBar_->setTrackingNote(firstAccessNote_);
        showReadout(); // without the note of an unanswered read
    });
    connect(tracker_, &PlayerTracker::readUnanswered, this, [this] {
        toolBar_->setTrackingNote(tr("The client has not answered the last read of its memory. The mark stays where it "
                                     "was until it does; pick the process or type the address again to stop waiting."));
        showReadout();
    });
    connect(tracker_, &PlayerTracker::positionRead, this, &MainWindow::onPlayerMoved);
    connect(tracker_, &PlayerTracker::failed, this, &MainWindow::showFailure);
    connect(mapView_, &MapView::hoveredCellChanged, measure_, &DistanceMeasure::measureTo);
    connect(mapView_, &MapView::hoveredCellChanged, this, &MainWindow::showReadout);
    connect(measure_, &DistanceMeasure::changed, this, [this] {
        // Esc ends measuring first, then clears the route; a disabled
        // command's key does nothing.
        const bool measuring = measure_->from().has_value();
        endMeasureCommand_->setEnabled(measuring);
        clearRouteCommand_->setShortcut(measuring ? QKeySequence() : QKeySequence(Qt::Key_Escape));
        showStartMark();
        showReadout();
    });
    connect(mapView_, &MapView::menuRequested, this, &MainWindow::showMapMenu);
    connect(routes_, &RoutePlanner::routeChanged, this, [this] {
        mapView_->setRoute(routes_->route());
        clearRouteCommand_->setEnabled(routes_->isAsked());
        showStartMark();
        showReadout();
    });
    connect(mapView_, &MapView::userMoved, this, [this] {
        if (tracker_->isRunning())
            followCommand_->setChecked(false);
    });
    connect(followCommand_, &QAction::toggled, this, [this](bool on) {
        if (on && routes_->player())
            mapView_->bringCellIntoView(*routes_->player());
        showReadout();
    });
    connect(followMapsCommand_, &QAction::toggled, this, [this](bool on) {
        follower_->setOn(on);
        for (int row = 1; row < players_->rowCount(); ++row)
            players_->client(row)->follower().setOn(on);
        const QListWidgetItem* shown = fileList_->currentItem();
        if (on && !mapView_->picture().IsEmpty() && shown && shown->isSelected())
            follower_->showing(fileList_->selectedFilePath().filename());
    });
    connect(follower_, &MapFollower::playerMapFound, this, [this](const std::filesystem::path& name) {
        if (players_->lead() == 0)
            runCommand([this, name] { showPlayersMap(name); });
    });
    // Every player's read in a tick changes the list: they are shown once,
    // before the repaint the reads asked for (it waits behind other events).
    connect(players_, &PlayerList::playersChanged, this, [this] {
        if (!playersShowing_)
            QMetaObject::invokeMethod(this, &MainWindow::showPlayers, Qt::QueuedConnection);
        playersShowing_ = true;
    });
    connect(mapView_, &MapView::playerClicked, this, [this](int row) { runCommand([this, row] { showPlayer(row); }); });
    connect(follower_, &MapFollower::mapChangeSeen, this, [this] {
        if (mapKeyWindow_ && mapKeyWindow_->isVisible() && mapKeyWindow_->process() == std::int32_t(tracker_->process().value_or(0)))
            mapKeyWindow_->tell(true);
    });
    connect(follower_, &MapFollower::changed, this, &MainWindow::showReadout);
    connect(follower_, &MapFollower::changed, this, &MainWindow::showFirstPlayerRow);
    for (QAction* zoom : {commands_.zoomIn, commands_.zoomOut, commands_.naturalSize, fitCommand_})
        connect(zoom, &QAction::triggered, this, &MainWindow::showReadout);
}

void MainWindow::showMapMenu(QPoint globalPosition, std::optional<QPoint> cell)
{
    const MapMenuCommands commands{{commands_.zoomIn, commands_.zoomOut, commands_.naturalSize, fitCommand_, goToCellCommand_,
                                    overviewCommand_, gridCommand_},
                                   {commands_.save, copyPictureCommand_},
                                   routes_,
                                   clearRouteCommand_,
                                   followCommand_,
                                   followMapsCommand_,
                                   pickMapCommand_,
                                   findAddressCommand_,
                                   [this](QPoint from) { measure_->start(from); },
                                   endMeasureCommand_,
                                   {trailCommand_, playersCommand_, followTooCommand_, stayOnTopCommand_, compactCommand_},
                                   compactCommand_->isChecked() ? opacityCommands_ : QList<QAction*>(),
                                   helpCommand_};
    MapMenu(commands, cell, this).exec(globalPosition);
}

// A start chosen shows at once, before the route or the measure has an end.
void MainWindow::showStartMark()
{
    const std::optional<QPoint> routeStart = routes_->isAsked() ? std::nullopt : routes_->chosenStart();
    mapView_->setStartMark(measure_->from() ? measure_->from() : routeStart);
}

void MainWindow::showReadout()
{
    QStringList notes{measure_->note()};
    if (tracker_->isRunning() && !followCommand_->isChecked())
        notes << tr("following paused (F resumes)");
    if (tracker_->isUnanswered())
        notes << tr("the client does not answer");
    if (trackingFileOpening_->isOpening())
        notes << tr("finding the tracking file's paths in the client...");
    if (const QString note = followingAcrossMapsNote(); !note.isEmpty())
        notes << note;
    mapView_->setReadoutText(
        ReadoutText(document_, mapView_->hoveredCell(), mapView_->imageSize(), routes_->summary(), notes));
}

void MainWindow::setTabOrderByName()
{
    const char* const order[] = {"fllst1", "dirlst1", "drvcbb1", "lv1", "mmo1", "edt1", "chk1"};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(findChild<QWidget*>(QLatin1String(order[i - 1])), findChild<QWidget*>(QLatin1String(order[i])));
}

// The one place where the working directory changes. If the directory cannot
// be entered, every list keeps what it showed.
void MainWindow::enterDirectory(const std::filesystem::path& directory)
{
    const std::filesystem::path absolute = CleanAbsolutePath(directory);
    ChangeWorkingDirectory(absolute);
    directoryList_->setDirectory(absolute);
    fileList_->setDirectory(absolute);
    driveSelector_->showDriveOf(ToQtPath(absolute));
    follower_->setFolder(absolute);
    for (int row = 1; row < players_->rowCount(); ++row)
        players_->client(row)->follower().setFolder(absolute);
}

// The folder the program started in; when it cannot be entered (its path
// too long for the system, say), the nearest folder above it that can.
void MainWindow::enterStartDirectory(const std::filesystem::path& directory)
{
    try {
        enterDirectory(directory);
    } catch (const std::runtime_error& failure) {
        const std::filesystem::path entered = enterNearestDirectory(CleanAbsolutePath(directory).parent_path());
        throw std::runtime_error(tr("%1; the lists show %2 instead")
                                     .arg(QString::fromUtf8(failure.what()), QString::fromStdString(QuotedFolder(entered)))
                                     .toStdString());
    }
}

// The folder on show was removed or renamed: the lists go to the nearest
// folder above it that is still there, and say so.
void MainWindow::leaveGoneDirectory()
{
    const std::filesystem::path gone = fileList_->directory();
    const std::filesystem::path entered = enterNearestDirectory(gone.parent_path());
    throw std::runtime_error(tr("The folder %1 is gone; the lists show %2 instead")
                                 .arg(QString::fromStdString(QuotedFolder(gone)), QString::fromStdString(QuotedFolder(entered)))
                                 .toStdString());
}

// Returns the folder entered: this one or the nearest above it that can be.
std::filesystem::path MainWindow::enterNearestDirectory(std::filesystem::path directory)
{
    for (;;) {
        try {
            enterDirectory(directory);
            return directory;
        } catch (const std::runtime_error&) {
            if (!directory.has_relative_path())
                throw;
            directory = directory.parent_path();
        }
    }
}

void MainWindow::openSelectedMap()
{
    measure_->stop();
    LoadedMap map = document_.load(fileList_->selectedFilePath(), [this] {
        routes_->letMapGo();
        mapView_->setPicture(IndexedImage());
    });
    routes_->clear();
    mapView_->setPicture(std::move(map.picture));
    if (map.linkText)
        linkMemo_->showLines(*map.linkText);
    showMapToFinder();
    follower_->showing(fileList_->selectedFilePath().filename());
    shownMap_ = fileList_->selectedFilePath().u8string();
    shownMapName_ = fileList_->selectedFilePath().filename();
    for (int row = 1; row < players_->rowCount(); ++row)
        players_->client(row)->setShownMap(shownMapName_);
    showFirstPlayerRow();
    showTrail(); // at once: the players follow a moment later
}

void MainWindow::openPath(const QString& path)
{
    open(ResolveOpenTarget(path), path);
}

void MainWindow::openPath(const std::filesystem::path& path)
{
    open(ResolveOpenTarget(path), ShownFileName(path));
}

void MainWindow::open(const OpenTarget& target, const QString& shownPath)
{
    enterDirectory(target.folder);
    if (target.mapFile.empty())
        return;
    if (!fileList_->isListing()) {
        openListedMap(target.mapFile, shownPath);
        return;
    }
    // A large folder: the map opens once it is listed, unless another folder is entered meanwhile.
    const std::filesystem::path folder = fileList_->directory();
    connect(
        fileList_, &MapFileList::listed, this,
        [=] {
            if (fileList_->directory() == folder)
                runCommand([=] { openListedMap(target.mapFile, shownPath); });
        },
        Qt::SingleShotConnection);
}

void MainWindow::openListedMap(const std::filesystem::path& name, const QString& shownPath)
{
    if (!fileList_->selectFile(name)) {
        if (!fileList_->listingFailure().isEmpty())
            return; // the folder could not be listed, as was said
        throw std::runtime_error(
            tr("Cannot open \"%1\": it is not in the file list").arg(shownPath).toStdString());
    }
    runCommand([this] { openSelectedMap(); });
}

void MainWindow::save()
{
    if (mapView_->picture().IsEmpty())
        throw std::runtime_error(kNoMapToSave);
    if (!saveDialog_)
        saveDialog_ = new SaveDialog(this); // made when first needed: it takes long to build
    const QString mapBesideIt = ShownFileName(BmpPathFor(fileList_->selectedFilePath()));
    if (const std::optional<QString> name = saveDialog_->askForBmpName(runModal_, mapBesideIt))
        SaveBitmapFile(mapView_->picture(), *name);
}

void MainWindow::goToCell()
{
    if (mapView_->picture().IsEmpty())
        throw std::runtime_error(tr("There is no map to go to a cell of. Click a map in the file list first").toStdString());
    if (const std::optional<QPoint> cell = AskForCell(this, runModal_, mapView_->pictureSize()))
        mapView_->goToCell(*cell);
}

void MainWindow::about()
{
    ShowAboutBox(this, runModal_);
}

void MainWindow::showHelp()
{
    if (!helpWindow_)
        helpWindow_ = new HelpWindow(actions(), CellCommandNames(),
                                     {*findAddressCommand_, *followCommand_, *followMapsCommand_, *pickMapCommand_}, this);
    ShowInFront(helpWindow_);
}

void MainWindow::refreshProcesses()
{
    processPicker_->refresh();
}

void MainWindow::setTracking(bool on)
{
    processPicker_->setSelectionAlwaysShown(on);
    if (!on)
        routes_->setPlayer(std::nullopt);
    tracker_->setRunning(on);
    if (on)
        players_->keepInStep(); // one pass reads them all
    showTrackingNote();
    showReadout();
}

// Ticks with no process selected do nothing; the box's tooltip says why.
void MainWindow::showTrackingNote()
{
    const bool idle = tracker_->isRunning() && !processPicker_->selectedProcessId();
    toolBar_->setTrackingNote(idle ? tr("No process is selected, so nothing is read. List the processes "
                                        "with the first button of the toolbar and click the game client's row.")
                                   : QString());
}

// The process selected in the process list; throws the failure when none is.
std::uint32_t MainWindow::selectedProcess(const QString& failure) const
{
    const std::optional<std::uint32_t> processId = processPicker_->selectedProcessId();
    if (!processId)
        throw std::runtime_error(failure.toStdString());
    return *processId;
}

// For the process selected in the process list; the finder keeps searching
// the process it has while that one stays selected.
void MainWindow::openFinder()
{
    const std::uint32_t processId = selectedProcess(tr("No process is selected. List the processes with the first button of "
                                                       "the toolbar, click the row of the game client, then find the player's address."));
    if (!finderWindow_) {
        finderWindow_ = new FinderWindow(this);
        connect(finderWindow_, &FinderWindow::candidateHovered, mapView_, &MapView::setSpotlight);
        connect(finderWindow_, &FinderWindow::addressChosen, this, [this](std::uint32_t address) {
            toolBar_->useAddress(QString::fromStdString(HexText(address, 8)));
        });
        connect(finderWindow_, &FinderWindow::mapKeyWanted, mapKeyCommand_, &QAction::trigger);
        finderWindow_->setTrackingFileCompletion([this](TrackingFile& file) { completeTrackingFile(file); });
        PlaceBesideMap(finderWindow_, *this, *mapView_);
    }
    if (finderWindow_->process() != std::int32_t(processId))
        finderWindow_->setProcess(std::int32_t(processId), processPicker_->processName(processId));
    showMapToFinder();
    ShowInFront(finderWindow_);
}

// For the process selected in the process list, as the finder.
void MainWindow::openMapKeyWindow()
{
    const std::uint32_t processId = selectedProcess(tr("No process is selected. List the processes with the first button of "
                                                       "the toolbar, click the row of the game client, then find where it keeps its map."));
    if (!mapKeyWindow_) {
        mapKeyWindow_ = new MapKeyWindow(this);
        connect(mapKeyWindow_, &MapKeyWindow::mapKeyChosen, this, [this](std::int32_t client, MapKeyPlace place) {
            follower_->setMapKey(client, place);
            mapKeyPath_.reset();
        });
        connect(mapKeyWindow_, &MapKeyWindow::mapKeyPathFound, this,
                [this](const TrackedMapKey& path) { mapKeyPath_ = path; });
        PlaceBesideMap(mapKeyWindow_, *this, *mapView_);
    }
    if (mapKeyWindow_->process() != std::int32_t(processId) || !mapKeyWindow_->isVisible())
        mapKeyWindow_->setProcess(std::int32_t(processId), processPicker_->processName(processId));
    ShowInFront(mapKeyWindow_);
}

// What a tracking file saved by the finder keeps besides the position.
void MainWindow::completeTrackingFile(TrackingFile& file) const
{
    file.followAcrossMaps = isFollowingAcrossMaps();
    file.stayOnTop = beside_->staysOnTop();
    file.compactView = beside_->isCompact();
    file.opacity = beside_->opacity();
    file.mapKey = mapKeyPath_;
    file.mapFolder = fileList_->directory().u8string();
    for (const auto& [key, map] : follower_->learned(fileList_->directory()))
        file.learnedMaps.emplace_back(key, map.u8string());
    file.name = players_->givenName(0).toStdString();
    if (players_->rowCount() > 1)
        file.colour = players_->colour(0).rgb() & 0xFFFFFFu;
    for (int row = 1; row < players_->rowCount(); ++row) {
        const ClientSource& source = players_->client(row)->source();
        if (!source.tracked)
            continue; // followed at an address, which the next start moves: no path to keep
        TrackedPlayer other = *source.tracked;
        other.name = players_->givenName(row).toStdString();
        other.colour = players_->colour(row).rgb() & 0xFFFFFFu;
        file.others.push_back(std::move(other));
    }
}

// The map key the tracking file names, where its path lands now, and the
// maps learned for it.
void MainWindow::followMapKeyOf(const TrackingFileInClient& opened)
{
    const TrackingFile& file = opened.file;
    MapIdentifier::LearnedMaps learned;
    for (const auto& [key, map] : file.learnedMaps)
        learned[key] = std::filesystem::u8path(map);
    follower_->learn(std::filesystem::u8path(file.mapFolder), std::move(learned));
    if (!file.mapKey)
        return;
    const ResolvedPointerPath& resolved = *opened.mapKey;
    if (!resolved.address || *resolved.address > 0xFFFFFFFFu)
        throw std::runtime_error(tr("The tracking file's map key cannot be followed (%1); the map is told from the "
                                    "positions alone.")
                                     .arg(QString::fromStdString(resolved.address ? "above 4 GiB" : resolved.failure))
                                     .toStdString());
    follower_->setMapKey(std::int32_t(opened.client), MapKeyPlace{std::uint32_t(*resolved.address), file.mapKey->form});
    mapKeyPath_ = file.mapKey;
}

void MainWindow::askForTrackingFile()
{
    QFileDialog dialog(this, tr("Open Tracking File"), QString(),
                       tr("Tracking files (*%1)").arg(QLatin1String(kTrackingFileSuffix)));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (runModal_(dialog) && !dialog.selectedFiles().isEmpty())
        openTrackingFile(ToFilesystemPath(dialog.selectedFiles().first()));
}

// Follows the player as the tracking file says: the running client of its
// program (the user picks one when several run), the address its path
// lands on now typed into the address box, the box that reads it ticked.
void MainWindow::openTrackingFile(const std::filesystem::path& file, std::function<void(const QString&)> tellFailure)
{
    const TrackingFileRead read = ReadTrackingFile(file);
    if (!read.file)
        throw std::runtime_error(read.failure);
    const std::optional<std::uint32_t> client = pickClientNamed(QString::fromStdString(read.file->program));
    if (!client)
        return;
    trackingFileOpening_->open(*read.file, *client, ShownFileName(file.filename()),
                               [this, tellFailure](const TrackingFileInClient& opened) {
                                   showReadout();
                                   try {
                                       followTrackingFile(opened);
                                   } catch (const std::exception& failure) {
                                       const QString message = QString::fromUtf8(failure.what());
                                       if (tellFailure)
                                           tellFailure(message);
                                       else
                                           showFailure(message);
                                   }
                               });
    showReadout();
}

bool MainWindow::isOpeningTrackingFile() const
{
    return trackingFileOpening_->isOpening();
}

// The user chose a process or an address meanwhile: that choice stays.
void MainWindow::letTrackingFileGo()
{
    if (!trackingFileOpening_->isOpening())
        return;
    trackingFileOpening_->letGo();
    showReadout();
}

void MainWindow::followTrackingFile(const TrackingFileInClient& opened)
{
    if (!opened.position.address)
        throw std::runtime_error(opened.position.failure);
    if (*opened.position.address > 0xFFFFFFFFu)
        throw std::runtime_error(tr("The tracking file's path lands above 4 GiB, where the tracker cannot read.").toStdString());
    processPicker_->refreshKeepingSelection();
    processPicker_->selectProcess(opened.client);
    toolBar_->useAddress(QString::fromStdString(HexText(quint32(*opened.position.address), 8)));
    if (opened.file.followAcrossMaps)
        setFollowingAcrossMaps(true);
    setBesideTheGame(opened.file);
    if (!opened.file.name.empty())
        players_->rename(0, QString::fromStdString(opened.file.name));
    if (opened.file.colour)
        players_->setColour(0, QColor(QRgb(*opened.file.colour)));
    while (players_->rowCount() > 1) // the file's players replace those followed before
        players_->remove(players_->rowCount() - 1);
    for (const ClientSource& other : opened.others)
        addPlayer(other, &*other.tracked);
    followMapKeyOf(opened);
    if (!opened.othersNotFound.isEmpty())
        throw std::runtime_error(tr("Not every player of the tracking file is followed: %1.")
                                     .arg(opened.othersNotFound.join(QStringLiteral("; ")))
                                     .toStdString());
}

std::optional<std::uint32_t> MainWindow::pickClientNamed(const QString& program)
{
    QStringList choices;
    std::vector<std::uint32_t> clients;
    for (const ProcessEntry& process : SnapshotProcesses()) {
        const QString name = ShownFileName(std::filesystem::path(process.exeFile));
        if (name.compare(program, Qt::CaseInsensitive) == 0) {
            clients.push_back(process.processId);
            choices.append(tr("%1, process %2").arg(name).arg(process.processId));
        }
    }
    if (clients.empty())
        throw std::runtime_error(tr("No running process is named \"%1\". Start the game client first.")
                                     .arg(program)
                                     .toStdString());
    if (clients.size() == 1)
        return clients.front();
    QInputDialog dialog(this);
    dialog.setWindowTitle(tr("Open Tracking File"));
    dialog.setLabelText(tr("Several processes are named \"%1\". Which one is the game client to follow?").arg(program));
    dialog.setComboBoxItems(choices);
    dialog.setComboBoxEditable(false);
    const qsizetype picked = runModal_(dialog) ? choices.indexOf(dialog.textValue()) : -1;
    return picked < 0 ? std::nullopt : std::optional(clients[std::size_t(picked)]);
}

void MainWindow::showMapToFinder()
{
    if (finderWindow_)
        finderWindow_->setMap(document_.sharedWalkability());
}

namespace {

Trail TrailOf(QColor colour, const std::vector<TrailStep>& steps, std::int64_t now)
{
    Trail shown{colour, {}, {}};
    for (const TrailStep& step : steps) {
        shown.cells.emplace_back(step.x, step.y);
        shown.ages.push_back(double(now - step.atMs) / double(PlayerTrail::kKeptMs));
    }
    return shown;
}

} // namespace

// The players' trails on the map on show, the newest ends the brightest.
void MainWindow::showTrail()
{
    std::vector<Trail> trails;
    if (trailCommand_->isChecked() && !mapView_->picture().IsEmpty()) {
        if (trailClock_.isValid())
            trails.push_back(TrailOf(players_->colour(0), trail_.On(shownMap_, trailClock_.elapsed()), trailClock_.elapsed()));
        for (int row = 1; row < players_->rowCount(); ++row) {
            std::int64_t now = 0;
            const std::vector<TrailStep> steps = players_->client(row)->trailOn(shownMapName_, &now);
            trails.push_back(TrailOf(players_->colour(row), steps, now));
        }
    }
    trails.erase(std::remove_if(trails.begin(), trails.end(), [](const Trail& trail) { return trail.cells.size() < 2; }),
                 trails.end());
    mapView_->setTrails(std::move(trails));
}

void MainWindow::showPlayersWindow()
{
    if (!playersWindow_) {
        playersWindow_ = new PlayersWindow(*players_, this);
        connect(playersWindow_, &PlayersWindow::addWanted, followTooCommand_, &QAction::trigger);
        connect(playersWindow_, &PlayersWindow::playerChosen, this,
                [this](int row) { runCommand([this, row] { showPlayer(row); }); });
        PlaceBesideMap(playersWindow_, *this, *mapView_);
    }
    playersWindow_->chooseRow(players_->lead());
    ShowInFront(playersWindow_);
}

// Another running client, at an address typed or from a tracking file.
void MainWindow::followClientToo()
{
    const std::optional<std::uint32_t> first = tracker_->process();
    std::vector<std::uint32_t> followed;
    if (first)
        followed.push_back(*first);
    for (int row = 1; row < players_->rowCount(); ++row)
        followed.push_back(players_->client(row)->source().processId);
    FollowClientDialog dialog(SnapshotProcesses(), followed, first ? processPicker_->processName(*first) : QString(), this);
    if (!runModal_(dialog) || !dialog.process())
        return;
    if (!dialog.trackingFile().isEmpty()) {
        followTooFromTrackingFile(*dialog.process(), ToFilesystemPath(dialog.trackingFile()));
        return;
    }
    ClientSource source{dialog.process()->processId, dialog.process()->startTime,
                        ShownFileName(std::filesystem::path(dialog.process()->exeFile)), *dialog.address(), {}, {}, {}};
    addPlayer(source, nullptr);
}

// The tracking file's player of the process's program, where its paths land
// in that process, found off the window's thread.
void MainWindow::followTooFromTrackingFile(const ProcessEntry& process, const std::filesystem::path& file)
{
    const TrackingFileRead read = ReadTrackingFile(file);
    if (!read.file)
        throw std::runtime_error(read.failure);
    const QString program = ShownFileName(std::filesystem::path(process.exeFile));
    std::vector<TrackedPlayer> players = read.file->others;
    players.insert(players.begin(), *read.file);
    // Of that program, and not named as a player followed now, when one is.
    const auto named = [this](const TrackedPlayer& one) {
        for (int row = 0; row < players_->rowCount(); ++row)
            if (!one.name.empty() && players_->name(row) == QString::fromStdString(one.name))
                return true;
        return false;
    };
    std::stable_partition(players.begin(), players.end(), [&](const TrackedPlayer& one) { return !named(one); });
    const auto player = std::find_if(players.begin(), players.end(), [&](const TrackedPlayer& one) {
        return QString::fromStdString(one.program).compare(program, Qt::CaseInsensitive) == 0;
    });
    if (player == players.end())
        throw std::runtime_error(tr("The tracking file follows no client named \"%1\".").arg(program).toStdString());
    ClientSource source{process.processId, process.startTime, program, 0, {}, *player, ShownFileName(file.filename())};
    RunOffThread(
        this,
        [source] { return ResolveTrackedPlayer(std::int32_t(source.processId), *source.tracked); },
        [this, source](const TrackedPlayerPlaces& landed) {
            runCommand([&] {
                if (!landed.position.address || *landed.position.address > 0xFFFFFFFFu)
                    throw std::runtime_error(
                        landed.position.address
                            ? tr("The tracking file's path lands above 4 GiB, where the tracker cannot read.").toStdString()
                            : landed.position.failure);
                ClientSource found = source;
                found.address = std::uint32_t(*landed.position.address);
                found.mapKey = MapKeyPlaceOf(landed, *source.tracked);
                addPlayer(found, &*source.tracked);
            });
        });
}

void MainWindow::addPlayer(const ClientSource& source, const TrackedPlayer* tracked)
{
    FollowedClient& client = players_->add(source);
    const int row = players_->rowCount() - 1;
    if (tracked && !tracked->name.empty())
        players_->rename(row, QString::fromStdString(tracked->name));
    if (tracked && tracked->colour)
        players_->setColour(row, QColor(QRgb(*tracked->colour)));
    client.setShownMap(shownMapName_);
    client.follower().setFolder(fileList_->directory());
    client.follower().setOn(followMapsCommand_->isChecked());
    connect(&client, &FollowedClient::mapFound, this, [this, &client](const std::filesystem::path& name) {
        if (players_->client(players_->lead()) == &client)
            runCommand([this, name] { showPlayersMap(name); });
    });
    connect(&client, &FollowedClient::changed, this, [this, &client] {
        if (players_->client(players_->lead()) == &client && followCommand_->isChecked() && client.position() &&
            client.map() == shownMapName_)
            mapView_->bringCellIntoView(QPoint(client.position()->x, client.position()->y));
    });
}

void MainWindow::showFirstPlayerRow()
{
    PlayerRow row;
    if (const std::optional<std::uint32_t> process = tracker_->process())
        row.process = tr("%1 (%2)").arg(processPicker_->processName(*process)).arg(*process);
    if (!toolBar_->addressText().isEmpty())
        row.source = tr("address %1").arg(toolBar_->addressText());
    row.map = PlayersMap(*follower_, shownMapName_);
    row.position = firstPosition_;
    using State = FollowedClient::State;
    row.state = !tracker_->isRunning()     ? State::Stopped
                : tracker_->isUnanswered() ? State::Unanswered
                : firstAccess_             ? StateOfAccess(*firstAccess_)
                                           : State::Starting;
    row.stateNote = firstAccessNote_;
    players_->setFirst(std::move(row));
}

// Each player on the map on show ringed and named, the others listed at the
// edge; nothing while only the first is followed, which the view marks.
void MainWindow::showPlayers()
{
    playersShowing_ = false;
    std::vector<PlayerMark> marks;
    for (int row = 0; players_->rowCount() > 1 && row < players_->rowCount(); ++row) {
        const auto [map, position] = players_->where(row);
        PlayerMark mark{row, players_->name(row), players_->colour(row), {}, {}, row != 0};
        // The first's letter shows on any map; its name only where it is, or may be.
        const bool here = map == shownMapName_ || (row == 0 && map.empty());
        if (position && here && !mapView_->picture().IsEmpty())
            mark.cell = position;
        else if (!map.empty() && !here)
            mark.elsewhere = ShownFileName(map);
        marks.push_back(std::move(mark));
    }
    mapView_->setPlayerMarks(std::move(marks));
    showTrail();
}

// The player's map shown, and the player in the middle of the view; it is
// the lead from now on.
void MainWindow::showPlayer(int row)
{
    players_->setLead(row);
    const PlayerRow shown = players_->row(row);
    if (!shown.map.empty() && shown.map != shownMapName_)
        showPlayersMap(shown.map);
    if (shown.position && (row == 0 || shown.map == shownMapName_)) {
        mapView_->goToCell(*shown.position);
        followCommand_->setChecked(true); // the user asked to see this player
    }
}

// As the tracking file keeps the window beside the game.
void MainWindow::setBesideTheGame(const TrackingFile& file)
{
    if (file.stayOnTop)
        stayOnTopCommand_->setChecked(true);
    if (file.compactView)
        compactCommand_->setChecked(true);
    beside_->setStayOnTop(stayOnTopCommand_->isChecked());
    beside_->setCompact(compactCommand_->isChecked());
    beside_->setOpacity(file.opacity);
    for (int i = 0; i < int(BesideTheGame::kOpacities.size()); ++i)
        opacityCommands_[i]->setChecked(BesideTheGame::kOpacities[std::size_t(i)] == beside_->opacity());
}

void MainWindow::setFollowingAcrossMaps(bool on)
{
    followMapsCommand_->setChecked(on);
}

bool MainWindow::isFollowingAcrossMaps() const
{
    return followMapsCommand_->isChecked();
}

// The player's map, shown as a click in the file list shows it.
void MainWindow::showPlayersMap(const std::filesystem::path& name)
{
    if (!fileList_->selectFile(name))
        return; // not listed yet: the next look at the folder brings it
    openSelectedMap();
    sincePlayersMapShown_.start();
    QTimer::singleShot(kPlayersMapNoteMs, this, &MainWindow::showReadout);
}

// The maps the positions fit, with their sizes, to pick the player's from.
void MainWindow::pickPlayersMap()
{
    const std::vector<AtlasMap> candidates = follower_->candidates();
    if (candidates.empty())
        throw std::runtime_error(
            tr("There is no map to pick: turn on \"%1\" and follow the player, and the maps of this folder that fit "
               "the player's positions are listed here.")
                .arg(followMapsCommand_->text())
                .toStdString());
    QStringList choices;
    for (const AtlasMap& map : candidates)
        choices.append(tr("%1 (%2 x %3 cells)").arg(ShownFileName(map.name)).arg(map.width).arg(map.height));
    QInputDialog dialog(this);
    dialog.setWindowTitle(pickMapCommand_->text().remove(QLatin1String("...")));
    dialog.setLabelText(tr("The player's positions fit these maps. Which one is the player on?"));
    dialog.setComboBoxItems(choices);
    dialog.setComboBoxEditable(false);
    const qsizetype picked = runModal_(dialog) ? choices.indexOf(dialog.textValue()) : -1;
    if (picked >= 0 && fileList_->selectFile(candidates[std::size_t(picked)].name))
        openSelectedMap();
}

QString MainWindow::followingAcrossMapsNote() const
{
    if (!follower_->isOn() || !tracker_->isRunning())
        return QString();
    if (follower_->keyDisagrees())
        return tr("the map key names a map the player cannot stand on here; the positions tell the map");
    switch (follower_->verdict()) {
    case MapVerdict::Ambiguous:
        return tr("which map? %1 candidates (%2 picks)")
            .arg(follower_->candidates().size())
            .arg(pickMapCommand_->shortcut().toString(QKeySequence::NativeText));
    case MapVerdict::NotInFolder:
        return tr("the player is on a map that is not in this folder");
    case MapVerdict::Known:
        if (sincePlayersMapShown_.isValid() && sincePlayersMapShown_.elapsed() < kPlayersMapNoteMs && follower_->shownMap())
            return tr("map: %1").arg(ShownFileName(*follower_->shownMap()));
        break;
    case MapVerdict::NoPosition:
        break;
    }
    return QString();
}

void MainWindow::onPlayerMoved(PlayerPosition position)
{
    follower_->see(position);
    if (!trailClock_.isValid())
        trailClock_.start();
    trail_.See(trailClock_.elapsed(), position.x, position.y, shownMap_);
    firstPosition_ = QPoint(position.x, position.y);
    showFirstPlayerRow();
    mapView_->showMarker(QPoint(position.x - 5, position.y - 5));
    routes_->setPlayer(QPoint(position.x, position.y));
    if (followCommand_->isChecked() && players_->lead() == 0)
        mapView_->bringCellIntoView(QPoint(position.x, position.y));
    setWindowTitle(QStringLiteral("%1:%2").arg(position.x).arg(position.y));
}

void MainWindow::runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::bad_alloc&) {
        showFailure(QString::fromLatin1(kOutOfSystemResources));
    } catch (const std::exception& failure) {
        showFailure(QString::fromUtf8(failure.what()));
    }
}

// While a failure box is open, failures of timer ticks that arrive
// meanwhile are dropped rather than stacked on it.
void MainWindow::showFailure(const QString& message)
{
    if (failureBoxOpen_)
        return;
    failureBoxOpen_ = true;
    ShowFailureBox(this, message, runModal_);
    failureBoxOpen_ = false;
}
