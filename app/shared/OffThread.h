#pragma once
// Work that reads another process, run off the window's thread so that the
// window never waits for it: a read the system never answers (memory the
// client fills in itself and never does) holds only the thread it runs on.
// Its result reaches done on the context's thread, or nowhere once the
// context is gone. Nothing waits for the work, neither a context that goes
// nor the program's exit.
//
// The threads are kept for the next work (the players' reads, once a
// second): a pool that is never deleted, so that its
// destruction never waits for a read that does not answer, with room for
// many such reads beside the ones that do.
//
// work returns its failure as part of its result; work that throws anyway
// (memory running out) gives none, and done is not called.

#include <QObject>
#include <QThreadPool>

#include <memory>
#include <optional>
#include <utility>

// Tells the context's thread that a result is there.
class OffThreadHandOver : public QObject {
    Q_OBJECT
signals:
    void handedOver();
};

inline QThreadPool& OffThreadPool()
{
    static QThreadPool* const pool = [] {
        auto* threads = new QThreadPool; // never deleted, on purpose: see above
        threads->setMaxThreadCount(256);
        return threads;
    }();
    return *pool;
}

template <typename Work, typename Done>
void RunOffThread(QObject* context, Work work, Done done)
{
    using Result = decltype(work());
    auto result = std::make_shared<std::optional<Result>>();
    auto* handOver = new OffThreadHandOver; // lives on this thread, deleted once it has handed over
    QObject::connect(handOver, &OffThreadHandOver::handedOver, context, [result, done = std::move(done)]() mutable {
        if (*result)
            done(std::move(**result));
    });
    QObject::connect(handOver, &OffThreadHandOver::handedOver, handOver, &QObject::deleteLater);
    OffThreadPool().start([work = std::move(work), result, handOver]() mutable {
        try {
            result->emplace(work());
        } catch (...) {
        }
        emit handOver->handedOver();
    });
}
