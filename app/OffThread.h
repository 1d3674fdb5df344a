#pragma once
// Work that reads another process, run on a thread of its own so that the
// window never waits for it: a read the system never answers (memory the
// client fills in itself and never does) holds only that thread. Its result
// reaches done on the context's thread, or nowhere once the context is
// gone. Nothing waits for the thread, neither a context that goes nor the
// program's exit; the thread deletes itself when its work ends.
//
// work returns its failure as part of its result; work that throws anyway
// (memory running out) gives none, and done is not called.

#include <QObject>
#include <QThread>

#include <memory>
#include <optional>
#include <utility>

template <typename Work, typename Done>
void RunOffThread(QObject* context, Work work, Done done)
{
    using Result = decltype(work());
    auto result = std::make_shared<std::optional<Result>>();
    QThread* thread = QThread::create([work = std::move(work), result]() mutable {
        try {
            result->emplace(work());
        } catch (...) {
        }
    });
    QObject::connect(thread, &QThread::finished, context, [result, done = std::move(done)]() mutable {
        if (*result)
            done(std::move(**result));
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}
