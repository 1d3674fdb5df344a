#pragma once
// The main window: composes the toolbar, the browser lists, the map view, the
// link memo and the player tracker, runs the commands, and is the one place
// where failures are shown.

#include "app/browser/OpenPath.h"
#include "app/following/FollowedClient.h"
#include "app/mapview/MapDocument.h"
#include "app/shared/SaveDialog.h"
#include "app/window/MainToolBar.h"
#include "process/ProcessList.h"
#include "track/PlayerTrail.h"
#include "track/Tracker.h"
#include "track/TrackingFile.h"

#include <QElapsedTimer>
#include <QWidget>

#include <filesystem>
#include <functional>

class BesideTheGame;
class DirectoryList;
class DistanceMeasure;
class FinderWindow;
class HelpWindow;
class ClientStarter;
class DriveSelector;
class MapFileList;
class MapFollower;
class MapKeyWindow;
class MapView;
class PlayerList;
class PlayerTracker;
class PlayersWindow;
class ProcessPicker;
class RoutePlanner;
class TrackingFileOpening;
struct TrackingFileInClient;
class LinkMemo;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the map links from mapInfoPath and starts in startDirectory.
    MainWindow(const QString& mapInfoPath, const QString& startDirectory, QWidget* parent = nullptr);

    const MapDocument& document() const { return document_; }
    const MapView& mapView() const { return *mapView_; }

    // Runs a command; the one place where failures are caught and shown.
    void runCommand(const std::function<void()>& command);

    // On a screen too short for the window at its smallest, the link memo
    // gives up height (down to a few lines) so that the window fits.
    void fitHeightInto(int height);

    // Replaces how modal boxes and dialogs are run (tests answer them).
    void setModalRunner(ModalRunner runModal) { runModal_ = std::move(runModal); }

    // Opens what the command line or a drop names: a folder is entered as
    // the directory list enters it; for a ".map" file its folder is entered
    // and the file selected and loaded as a click on it loads it (a failing
    // load shows the failure box). Throws std::runtime_error with one line
    // naming the path when it cannot be opened.
    void openPath(const QString& path);
    // The same for a path as the system's bytes (a GBK name on Linux).
    void openPath(const std::filesystem::path& path);
    // Follows the player with a tracking file (its client, its pointer path).
    // The file is read and the client picked at once (a failure is thrown);
    // its paths are followed in the client off the window's thread, and what
    // fails there is told to tellFailure (the failure box by default).
    void openTrackingFile(const std::filesystem::path& file,
                          std::function<void(const QString&)> tellFailure = nullptr);
    // The paths of a tracking file are being followed in its client.
    bool isOpeningTrackingFile() const;
    // Shows the map the player is on, from the maps of the folder on show.
    void setFollowingAcrossMaps(bool on);
    bool isFollowingAcrossMaps() const;

private:
    void buildCommands();
    QAction* addCommand(const char* text, const char* icon, const QList<QKeySequence>& shortcuts,
                        const std::function<void()>& command);
    void showMapMenu(QPoint globalPosition, std::optional<QPoint> cell);
    void showReadout();
    void showStartMark();
    void connectParts();
    void setTabOrderByName();

    void enterDirectory(const std::filesystem::path& directory);
    void enterStartDirectory(const std::filesystem::path& directory);
    std::filesystem::path enterNearestDirectory(std::filesystem::path directory);
    void open(const OpenTarget& target, const QString& shownPath);
    void openListedMap(const std::filesystem::path& name, const QString& shownPath);
    void openSelectedMap();
    void leaveGoneDirectory();
    void save();
    void goToCell();
    void about();
    void showHelp();
    void refreshProcesses();
    void setTracking(bool on);
    void showTrackingNote();
    std::uint32_t selectedProcess(const QString& failure) const;
    void openFinder();
    void openMapKeyWindow();
    void completeTrackingFile(TrackingFile& file) const;
    void followTrackingFile(const TrackingFileInClient& opened);
    void letTrackingFileGo();
    void followMapKeyOf(const TrackingFileInClient& opened);
    void setBesideTheGame(const TrackingFile& file);
    void showTrail();
    void showPlayersWindow();
    void followClientToo();
    void followTooFromTrackingFile(const ProcessEntry& process, const std::filesystem::path& file);
    void addPlayer(const ClientSource& source, const TrackedPlayer* tracked);
    void showFirstPlayerRow();
    void showPlayers();
    void showPlayer(int row);
    void showMapToFinder();
    void askForTrackingFile();
    std::optional<std::uint32_t> pickClientNamed(const QString& program);
    void onPlayerMoved(PlayerPosition position);
    void showPlayersMap(const std::filesystem::path& name);
    void pickPlayersMap();
    QString followingAcrossMapsNote() const;
    void showFailure(const QString& message);

    MapDocument document_;
    ModalRunner runModal_;
    MainToolBar* toolBar_;
    DriveSelector* driveSelector_;
    DirectoryList* directoryList_;
    MapFileList* fileList_;
    ProcessPicker* processPicker_;
    MapView* mapView_;
    LinkMemo* linkMemo_;
    SaveDialog* saveDialog_ = nullptr;
    PlayerTracker* tracker_;
    RoutePlanner* routes_;
    DistanceMeasure* measure_;
    MapFollower* follower_;
    TrackingFileOpening* trackingFileOpening_;
    ClientStarter* clientStarter_;
    ToolBarCommands commands_;
    QAction* fitCommand_;
    QAction* trailCommand_;
    QAction* stayOnTopCommand_;
    QAction* compactCommand_;
    QList<QAction*> opacityCommands_; // not the window's: the help lists no such command
    BesideTheGame* beside_;
    QAction* goToCellCommand_;
    QAction* overviewCommand_;
    QAction* gridCommand_;
    QAction* copyPictureCommand_;
    QAction* clearRouteCommand_;
    QAction* endMeasureCommand_;
    QAction* followCommand_;
    QAction* followMapsCommand_;
    QAction* pickMapCommand_;
    QAction* mapKeyCommand_;
    QAction* findAddressCommand_;
    QAction* startClientCommand_;
    QAction* openTrackingFileCommand_;
    QAction* helpCommand_;
    QAction* playersCommand_;
    QAction* followTooCommand_;
    PlayerList* players_;
    PlayersWindow* playersWindow_ = nullptr;
    std::optional<ProcessAccess> firstAccess_; // as the first player's last read told
    QString firstAccessNote_;                  // why, as the tracking box's tooltip tells it
    std::optional<QPoint> firstPosition_;
    std::filesystem::path shownMapName_; // in the folder on show
    FinderWindow* finderWindow_ = nullptr;
    MapKeyWindow* mapKeyWindow_ = nullptr;
    std::optional<TrackedMapKey> mapKeyPath_; // of the map key in use, once found
    HelpWindow* helpWindow_ = nullptr;
    bool failureBoxOpen_ = false;
    QElapsedTimer sincePlayersMapShown_; // "map: NAME" in the readout a few seconds after
    bool playersShowing_ = false; // asked to show them, after the events waiting now
    PlayerTrail trail_;
    std::optional<std::uint32_t> trailProcess_; // whose trail it is
    QElapsedTimer trailClock_;
    std::string shownMap_; // the map's path as the trail keeps it
};
