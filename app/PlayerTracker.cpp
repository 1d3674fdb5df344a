#include "app/PlayerTracker.h"


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

void PlayerTracker::setProcess(std::optional<std::uint32_t> processId, std::optional<std::uint64_t> startTime)
{
    processId_ = processId;
    startTime_ = processId ? startTime : std::nullopt;
}

void PlayerTracker::setRunning(bool on)
{
    if (!on) {
        timer_->stop();
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
}

void PlayerTracker::read()
{
    if (!processId_)
        return;
    // Identifiers are signed 32-bit numbers to the reading side.
    if (*processId_ > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        throw std::runtime_error(NotAValidInteger(std::to_string(*processId_)));
    std::optional<ProcessMemory> memory;
    if (startTime_)
        memory.emplace(std::int32_t(*processId_), *startTime_);
    if (!address_)
        throw std::runtime_error(addressFailure_);
    emit processAccessRead(*processId_, memory ? memory->Access() : ProcessAccess::Ended);
    emit positionRead(memory ? ReadPlayerPosition(*memory, *address_) : PlayerPosition{});
}
