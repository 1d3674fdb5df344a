#include "app/following/PlayerTracker.h"

#include "app/shared/OffThread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

PlayerTracker::PlayerTracker(QObject* parent, QTimer* sharedClock)
    : QObject(parent), timer_(sharedClock ? sharedClock : new QTimer(this)), ownsTimer_(!sharedClock)
{
    if (ownsTimer_) {
        timer_->setObjectName(QStringLiteral("tmr1"));
        timer_->setInterval(1000);
        connect(timer_, &QTimer::timeout, this, &PlayerTracker::tick);
    }
    setAddressText(QString());
}

// What one read is asked to do.
struct PlayerTracker::Reading {
    std::uint32_t processId;
    std::optional<std::uint64_t> startTime;
    std::uint32_t address;
};

struct PlayerTracker::Outcome {
    ProcessAccess access = ProcessAccess::Ended;
    PlayerPosition position;
    std::shared_ptr<const ProcessMemory> opened; // to read it again at the next tick
};

// The reads of one pass of the event loop. The job reads them in order and
// writes each outcome before `done` passes it; the window's thread reads an
// outcome only once `done` has passed it.
struct PlayerTracker::Batch {
    std::vector<std::shared_ptr<const Reading>> readings;
    std::vector<QPointer<PlayerTracker>> trackers; // the window's thread's only
    // Each process as the read before left it open (none: open it), the
    // job's own once it starts.
    std::vector<std::shared_ptr<const ProcessMemory>> opened;
    std::vector<Outcome> outcomes;
    std::atomic<std::size_t> done{0};
};

// The process stays open from tick to tick: opening it costs several times
// the read. A read that fails there (0:0) opens it anew, which tells whether
// it has ended meanwhile; it is closed first, since on Windows a handle still
// open keeps an ended process there to be opened.
PlayerTracker::Outcome PlayerTracker::ReadPosition(const Reading& reading, std::shared_ptr<const ProcessMemory> opened)
{
    if (opened) {
        const PlayerPosition position = ReadPlayerPosition(*opened, reading.address);
        if (position.x != 0 || position.y != 0)
            return Outcome{ProcessAccess::Open, position, std::move(opened)};
        opened.reset();
    }
    Outcome outcome;
    try {
        if (reading.startTime) {
            auto memory = std::make_shared<const ProcessMemory>(std::int32_t(reading.processId), *reading.startTime);
            outcome.access = memory->Access();
            outcome.position = ReadPlayerPosition(*memory, reading.address);
            if (memory->IsOpen())
                outcome.opened = std::move(memory);
        }
    } catch (const std::exception&) {
        outcome = Outcome{ProcessAccess::Failed, {}, {}}; // no memory to open it with: as a failed read
    }
    return outcome;
}

std::shared_ptr<PlayerTracker::Batch>& PlayerTracker::PendingBatch()
{
    static std::shared_ptr<Batch> pending;
    return pending;
}

void PlayerTracker::setProcess(std::optional<std::uint32_t> processId, std::optional<std::uint64_t> startTime)
{
    processId_ = processId;
    startTime_ = processId ? startTime : std::nullopt;
    opened_.reset();
    letReadingGo();
}

void PlayerTracker::setRunning(bool on)
{
    running_ = on;
    if (!on) {
        if (ownsTimer_)
            timer_->stop();
        else
            disconnect(timer_, &QTimer::timeout, this, &PlayerTracker::tick);
        opened_.reset();
        letReadingGo(); // what it reads comes after the user stopped
        return;
    }
    if (ownsTimer_) {
        timer_->start();
    } else {
        connect(timer_, &QTimer::timeout, this, &PlayerTracker::tick, Qt::UniqueConnection);
        if (!timer_->isActive())
            timer_->start();
    }
    if (!timer_->isActive())
        throw std::runtime_error("Not enough timers available");
}

bool PlayerTracker::isRunning() const
{
    return running_ && timer_->isActive();
}

void PlayerTracker::tick()
{
    try {
        read();
    } catch (const std::exception& failure) {
        emit failed(QString::fromUtf8(failure.what()));
    }
}

void PlayerTracker::setAddressText(const QString& text)
{
    const std::string typed = text.toStdString();
    address_ = ParseHexAddress(typed);
    addressFailure_ = NotAValidInteger("$" + typed);
    letReadingGo();
}

void PlayerTracker::letReadingGo()
{
    reading_.reset();
    batch_.reset();
    unanswered_ = false;
}

void PlayerTracker::read()
{
    if (!processId_)
        return;
    // Identifiers are signed 32-bit numbers to the reading side.
    if (*processId_ > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        throw std::runtime_error(NotAValidInteger(std::to_string(*processId_)));
    if (!address_)
        throw std::runtime_error(addressFailure_);
    if (reading_) {
        const std::size_t done = batch_->done.load(std::memory_order_acquire);
        if (done == placeInBatch_) {
            unanswered_ = true;
            emit readUnanswered(*processId_);
            return;
        }
        if (done > placeInBatch_)
            finish(std::move(batch_->outcomes[placeInBatch_])); // read, and its job held up by a read after it
        else
            letReadingGo(); // behind a read that does not answer: read anew
    }
    std::shared_ptr<Batch>& pending = PendingBatch();
    if (!pending) {
        pending = std::make_shared<Batch>();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &PlayerTracker::StartPendingBatch, Qt::QueuedConnection);
    }
    reading_ = std::make_shared<const Reading>(Reading{*processId_, startTime_, *address_});
    batch_ = pending;
    placeInBatch_ = pending->readings.size();
    pending->readings.push_back(reading_);
    pending->trackers.emplace_back(this);
    pending->opened.push_back(std::move(opened_)); // the job's alone: it may close it
}

void PlayerTracker::StartPendingBatch()
{
    const std::shared_ptr<Batch> batch = std::exchange(PendingBatch(), nullptr);
    batch->outcomes.resize(batch->readings.size());
    RunOffThread(
        QCoreApplication::instance(),
        [batch] {
            for (std::size_t place = 0; place < batch->readings.size(); ++place) {
                batch->outcomes[place] = ReadPosition(*batch->readings[place], std::move(batch->opened[place]));
                batch->done.store(place + 1, std::memory_order_release);
            }
            return true;
        },
        [batch](bool) {
            for (std::size_t place = 0; place < batch->readings.size(); ++place) {
                PlayerTracker* tracker = batch->trackers[place];
                if (tracker && tracker->reading_ == batch->readings[place])
                    tracker->finish(std::move(batch->outcomes[place]));
            }
        });
}

void PlayerTracker::finish(Outcome outcome)
{
    const std::uint32_t processId = reading_->processId;
    letReadingGo();
    opened_ = std::move(outcome.opened);
    try {
        emit processAccessRead(processId, outcome.access);
        emit positionRead(outcome.position);
    } catch (const std::exception& failure) {
        emit failed(QString::fromUtf8(failure.what()));
    }
}
