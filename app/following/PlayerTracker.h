#pragma once
// Follows the player: while running, once a second it reads the position
// from the chosen process at the typed address and reports it.
//
// A tick with no process chosen does nothing. An address text that is not
// hexadecimal digits reports "'$<text>' is not a valid integer value" through
// failed() at every tick, and the timer runs on. A process that cannot be
// read gives the position 0:0; every tick that gets to the process tells
// first whether it could be opened, and if not, why.
//
// The reading runs off the caller's thread (app/shared/OffThread.h): a tick starts
// it and what it read comes a moment later. The trackers that tick in one
// pass of the event loop read together, in one job: one thread woken and one
// hand-over a tick, however many players. A tick that finds the last read
// still waiting for its answer starts no other and tells readUnanswered();
// the reads queued behind it in its job are let go and read anew. Choosing
// another process or address lets the waiting read go.

#include "process/ProcessMemory.h"
#include "track/Tracker.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QTimer;

class PlayerTracker : public QObject {
    Q_OBJECT
public:
    // With a clock, it ticks with the clock's other trackers, in the same
    // pass, instead of with a timer of its own.
    explicit PlayerTracker(QObject* parent, QTimer* sharedClock = nullptr);

    // The process chosen, told apart by its start time (as the process list
    // saw it) from any later one that gets the same identifier: that one
    // reads as ended, and so does a process whose start time is not known.
    void setProcess(std::optional<std::uint32_t> processId, std::optional<std::uint64_t> startTime);
    std::optional<std::uint32_t> process() const { return processId_; }
    // Read once here; a text that is no address fails at every tick.
    void setAddressText(const QString& text);

    // The first tick comes a second after the start. Throws "Not enough
    // timers available" when the system has no timer to give.
    void setRunning(bool on);
    bool isRunning() const;

    // One tick, now.
    void tick();
    // A read started by a tick has not told what it read yet.
    bool isReading() const { return reading_ != nullptr; }
    // A tick found the read before it still waiting for its answer.
    bool isUnanswered() const { return unanswered_; }

signals:
    void processAccessRead(std::uint32_t processId, ProcessAccess access);
    void positionRead(PlayerPosition position);
    void failed(const QString& message);
    // The read of the tick before has not answered yet.
    void readUnanswered(std::uint32_t processId);

private:
    struct Reading;
    struct Outcome;
    struct Batch;
    static Outcome ReadPosition(const Reading& reading, std::shared_ptr<const ProcessMemory> opened);
    static std::shared_ptr<Batch>& PendingBatch(); // that this pass's ticks join; none: no tick yet
    static void StartPendingBatch();
    void read();
    void finish(Outcome outcome);
    void letReadingGo();

    QTimer* timer_;
    bool ownsTimer_;
    bool running_ = false;
    std::optional<std::uint32_t> processId_;
    std::optional<std::uint64_t> startTime_; // none: it had ended when chosen
    std::optional<std::uint32_t> address_;
    std::string addressFailure_; // what a tick says when there is no address
    std::shared_ptr<const Reading> reading_; // the read under way; none: none, or let go
    std::shared_ptr<Batch> batch_;           // the job it is read in, at this place
    std::size_t placeInBatch_ = 0;
    std::shared_ptr<const ProcessMemory> opened_; // the process as the last read left it open
    bool unanswered_ = false;
};
