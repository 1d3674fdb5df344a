#include "app/PlayerTracker.h"

#include "app/OffThread.h"

#include <QTimer>

#include <limits>
#include <stdexcept>

PlayerTracker::PlayerTracker(QObject* parent) : QObject(parent), timer_(new QTimer(this))
{
    timer_->setObjectName(QStringLiteral("tmr1"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &PlayerTracker::tick);
    setAddressText(QString());
}

// What one read is asked to do.
struct PlayerTracker::Reading {
    std::uint32_t processId;
    std::optional<std::uint64_t> startTime;
    std::uint32_t address;
};

namespace {

struct ReadOutcome {
    ProcessAccess access = ProcessAccess::Ended;
    PlayerPosition position;
};

} // namespace

void PlayerTracker::setProcess(std::optional<std::uint32_t> processId, std::optional<std::uint64_t> startTime)
{
    processId_ = processId;
    startTime_ = processId ? startTime : std::nullopt;
    letReadingGo();
}

void PlayerTracker::setRunning(bool on)
{
    if (!on) {
        timer_->stop();
        letReadingGo(); // what it reads comes after the user stopped
        return;
    }
    timer_->start();
    if (!timer_->isActive())
        throw std::runtime_error("Not enough timers available");
}

bool PlayerTracker::isRunning() const
{
    return timer_->isActive();
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
        unanswered_ = true;
        emit readUnanswered(*processId_);
        return;
    }
    auto reading = std::make_shared<const Reading>(Reading{*processId_, startTime_, *address_});
    reading_ = reading;
    RunOffThread(
        this,
        [reading] {
            ReadOutcome outcome;
            try {
                if (reading->startTime) {
                    const ProcessMemory memory(std::int32_t(reading->processId), *reading->startTime);
                    outcome.access = memory.Access();
                    outcome.position = ReadPlayerPosition(memory, reading->address);
                }
            } catch (const std::exception&) {
                outcome = ReadOutcome{ProcessAccess::Failed, {}}; // no memory to open it with: as a failed read
            }
            return outcome;
        },
        [this, reading](ReadOutcome outcome) {
            if (reading != reading_)
                return; // let go
            letReadingGo();
            try {
                emit processAccessRead(reading->processId, outcome.access);
                emit positionRead(outcome.position);
            } catch (const std::exception& failure) {
                emit failed(QString::fromUtf8(failure.what()));
            }
        });
}
