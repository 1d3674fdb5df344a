#include "app/shared/WorkerThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// How often `ended` was told, events handled until `count` or 5 seconds.
struct EndsTold {
    explicit EndsTold(WorkerThread* worker) { QObject::connect(worker, &WorkerThread::ended, [this] { ++count; }); }
    bool WaitFor(int wanted)
    {
        QElapsedTimer waited;
        waited.start();
        while (count < wanted && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return count >= wanted;
    }
    int count = 0;
};

// Work that runs until it is let on, and tells where it ran.
struct HeldWork {
    std::atomic<bool> letOn{false};
    std::atomic<bool> ended{false};
    std::atomic<QThread*> ranOn{nullptr};

    std::function<void()> Work()
    {
        return [this] {
            ranOn = QThread::currentThread();
            while (!letOn)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ended = true;
        };
    }
};

TEST(WorkerThreadTest, TheEndIsToldOnTheOwnersThreadAndDeletingWaitsForTheWork)
{
    HeldWork held;
    auto* worker = new WorkerThread(held.Work(), nullptr);
    EndsTold ended(worker);
    EXPECT_FALSE(worker->wait(50));
    EXPECT_TRUE(worker->isRunning());
    held.letOn = true;
    EXPECT_TRUE(worker->wait());
    EXPECT_NE(held.ranOn.load(), QThread::currentThread());
    EXPECT_TRUE(ended.WaitFor(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(ended.count, 1);
    delete worker;

    HeldWork deleted;
    worker = new WorkerThread(deleted.Work(), nullptr);
    std::thread letOnSoon([&deleted] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        deleted.letOn = true;
    });
    delete worker; // its work's memory is the owner's to free next
    EXPECT_TRUE(deleted.ended);
    letOnSoon.join();
}

TEST(WorkerThreadTest, WorkLetGoIsNeitherWaitedForNorTold)
{
    auto held = std::make_shared<HeldWork>();
    auto* worker = new WorkerThread([held] { held->Work()(); }, nullptr);
    EndsTold ended(worker);
    worker->letGo();
    EXPECT_TRUE(worker->wait(0)); // nothing left to wait for
    delete worker;                // at once, though the work goes on
    EXPECT_FALSE(held->ended);
    held->letOn = true;
    for (int tries = 0; !held->ended && tries < 5000; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(held->ended);
    QCoreApplication::processEvents(); // the thread deletes itself, and tells no one
    EXPECT_EQ(ended.count, 0);
}

} // namespace
