#pragma once
// "Find Where the Client Keeps Its Map": finds the map key of one game
// client (MapKeyFinder.h). Opening it on a process takes every place there
// is; each "The Map Changed" or "Same Map", from the user or told by the
// viewer (a map told from the positions), narrows them off the window's
// thread, with progress and Cancel. Once one place is left (or one is
// chosen), "Use" makes it the map key and looks for the pointer paths that
// find it again after the client restarts. Non-modal; closing it ends a
// running step at once.

#include "track/MapKeyFinder.h"
#include "track/TrackingFile.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class FinderSession;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

class MapKeyWindow : public QDialog {
    Q_OBJECT
public:
    explicit MapKeyWindow(QWidget* parent);

    // Starts on another process (name as the process list shows it) with a
    // first look at all its memory.
    void setProcess(std::int32_t processId, const QString& name);
    std::optional<std::int32_t> process() const;

    // The map changed (true) or not since the last step: narrows as the
    // buttons do; false when no step can be taken now (none looked yet, or
    // one running).
    bool tell(bool mapChanged);
    bool isSearching() const;
    std::uint64_t candidateCount() const;
    // The place chosen, or the only one left.
    std::optional<MapKeyPlace> chosenPlace() const;

signals:
    // "Use": the client keeps its map there.
    void mapKeyChosen(std::int32_t processId, MapKeyPlace place);
    // The shortest pointer path to the place used, once found.
    void mapKeyPathFound(TrackedMapKey path);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void onStepEnded(bool cancelled);
    void showCandidates();
    void updateControls();

    FinderSession* session_ = nullptr;
    QLabel* processLabel_;
    QPushButton* changedButton_;
    QPushButton* sameButton_;
    QProgressBar* progressBar_;
    QPushButton* cancelButton_;
    QLabel* statusLabel_;
    QTreeWidget* candidates_;
    QPushButton* useButton_;
    QTimer* progressTimer_;
    std::optional<MapKeyPlace> used_;
};
