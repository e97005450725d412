#pragma once

#include "Connection.h"
#include "DbError.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QThread;

// Runs long reads (a report) on a connection of their own, in a thread of their own, so
// the window that asked stays responsive and can cancel them. The connection is opened
// in that thread at the first read and kept for the next ones.
class BackgroundReader : public QObject
{
    Q_OBJECT

public:
    using Opener = std::function<std::unique_ptr<Connection>()>;
    using Work = std::function<void(Connection&)>;
    // How a read ended: done, failed with `error`, or cancelled.
    struct Outcome
    {
        bool cancelled = false;
        std::optional<DbError> error;
    };
    using Done = std::function<void(const Outcome&)>;

    explicit BackgroundReader(Opener opener, QObject* parent = nullptr);
    // Cancels what runs and waits for the thread to stop.
    ~BackgroundReader() override;

    // Runs `work` on the reader's connection; afterwards `done` runs on this object's
    // thread, unless cancel() or another start() came first.
    void start(Work work, Done done);
    // Stops the read that runs (the connection interrupts its statement) and forgets
    // it: its `done` never runs. Returns at once.
    void cancel();
    bool isRunning() const { return m_running; }

signals:
    // The thread has finished a read, whether it was wanted or cancelled.
    void idle();

private:
    struct Job
    {
        Work work;
        Done done;
        quint64 number = 0;
        std::atomic<bool> cancelled = false;
    };
    void runInThread(const std::shared_ptr<Job>& job);
    void finish(const std::shared_ptr<Job>& job, const Outcome& outcome);

    Opener m_opener;
    QThread* m_thread = nullptr;
    QObject* m_inThread = nullptr;
    std::mutex m_mutex;
    std::unique_ptr<Connection> m_connection; // touched in the thread, or under m_mutex
    std::shared_ptr<Job> m_current;
    quint64 m_jobs = 0;
    bool m_running = false;
};
