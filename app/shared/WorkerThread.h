#pragma once
// Work on a thread of its own, started at once, whose end is told on the
// owner's thread (`ended`). The work is asked to end through a flag of the
// owner's that it reads; this never stops it. Deleting it waits for the
// work, whose memory the owner frees next, unless the work was let go:
// work that may never end (a read of memory that never answers) is let go,
// and its thread then deletes itself once the work ends, with nothing told
// and nothing waiting for it.

#include <QObject>

#include <functional>

class QThread;

class WorkerThread : public QObject {
    Q_OBJECT
public:
    WorkerThread(std::function<void()> work, QObject* parent);
    ~WorkerThread() override;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    bool isRunning() const;
    // True once the work has ended, within `milliseconds` (-1: however long it takes).
    bool wait(int milliseconds = -1);
    void letGo();

signals:
    void ended();

private:
    QThread* thread_;
};
