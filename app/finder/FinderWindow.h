#pragma once
// The finder's window: finds where one game client keeps the player's
// position, by the position typed, by the map on show, and by telling when
// the player moved or stood still. It shows the steps as buttons, a scan's
// progress with Cancel, the count and the first candidates, which it reads
// again a few times a second. "Make It Last" finds the pointer paths that
// lead to the chosen address, which find it again after the client
// restarts, and saves one as a tracking file; the paths stay when the
// finder turns to another process, so that "Check after a Restart" keeps
// those that still lead to the player in the client started anew. Non-modal: the main window
// goes on meanwhile. Closing it ends a running scan at once.

#include "map/MapFormat.h"
#include "track/AddressFinder.h"
#include "track/PointerPath.h"
#include "track/TrackingFile.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class FinderSession;
enum class FinderStepKind;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

class FinderWindow : public QDialog {
    Q_OBJECT
public:
    explicit FinderWindow(QWidget* parent);

    // Starts again on another process; name is what the process list shows.
    void setProcess(std::int32_t processId, const QString& name);
    std::optional<std::int32_t> process() const;
    // The map on show; an empty one without a map.
    void setMap(std::shared_ptr<const TMatrix> map);
    // Adds what the viewer follows besides the position (following across
    // maps, the map key and the maps learned) to a tracking file saved here.
    void setTrackingFileCompletion(std::function<void(TrackingFile&)> complete) { completeTrackingFile_ = std::move(complete); }

    std::uint64_t candidateCount() const;
    bool isSearching() const;
    // The candidate the user picked, or the only one left.
    std::optional<std::uint32_t> chosenAddress() const;
    // The pointer paths found by "Make It Last", as written, shortest first.
    QStringList pathTexts() const;
    // Writes the selected path with the client's name as a tracking file
    // (TrackingFile.h); false, with the reason shown, when it cannot.
    bool saveTrackingFile(const QString& fileName);

signals:
    // The mouse rests on a candidate holding this cell; none: it left.
    void candidateHovered(std::optional<QPoint> cell);
    // "Use": this address is the player's.
    void addressChosen(std::uint32_t address);
    // "Find Where the Client Keeps Its Map...".
    void mapKeyWanted();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override; // the mouse leaves the candidates
    void reject() override;

private:
    void buildControls();
    void startStep(FinderStepKind kind);
    void onStepEnded(const FinderOutcome& outcome);
    void onPathsFound();
    void showPaths(const std::vector<PointerPath>& paths);
    void checkPathsAfterRestart();
    void askWhereToSave();
    void showCandidates();
    void showPlaces(const std::vector<FoundPlace>& places);
    void updateControls();
    void say(const QString& text);

    FinderSession* session_ = nullptr;
    std::shared_ptr<const TMatrix> map_;
    QLabel* processLabel_;
    QLineEdit* positionEdit_;
    QPushButton* keepPositionButton_;
    QPushButton* searchMapButton_;
    QPushButton* movedButton_;
    QPushButton* stillButton_;
    QPushButton* startOverButton_;
    QProgressBar* progressBar_;
    QPushButton* cancelButton_;
    QLabel* statusLabel_;
    QTreeWidget* candidates_;
    QPushButton* useButton_;
    QPushButton* makeItLastButton_;
    QListWidget* paths_;
    std::vector<PointerPath> shownPaths_; // in the rows' order
    std::shared_ptr<const std::vector<PointerPath>> checking_; // the paths being checked in the client
    QPushButton* saveTrackingButton_;
    QPushButton* checkRestartButton_;
    QString processName_;
    std::function<void(TrackingFile&)> completeTrackingFile_;
    QTimer* refresh_;
};
