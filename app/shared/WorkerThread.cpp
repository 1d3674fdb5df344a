#include "app/shared/WorkerThread.h"

#include <QDeadlineTimer>
#include <QThread>

WorkerThread::WorkerThread(std::function<void()> work, QObject* parent)
    : QObject(parent), thread_(QThread::create(std::move(work)))
{
    connect(thread_, &QThread::finished, this, &WorkerThread::ended);
    thread_->start();
}

WorkerThread::~WorkerThread()
{
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
}

bool WorkerThread::isRunning() const
{
    return thread_ && thread_->isRunning();
}

bool WorkerThread::wait(int milliseconds)
{
    return !thread_ ||
           thread_->wait(milliseconds < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(milliseconds));
}

void WorkerThread::letGo()
{
    if (!thread_)
        return;
    disconnect(thread_, nullptr, this, nullptr);
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    if (thread_->isFinished())
        thread_->deleteLater();
    thread_ = nullptr;
}
