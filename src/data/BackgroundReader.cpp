#include "BackgroundReader.h"

#include <QThread>

BackgroundReader::BackgroundReader(Opener opener, QObject* parent)
    : QObject(parent), m_opener(std::move(opener)), m_thread(new QThread(this)),
      m_inThread(new QObject)
{
    m_inThread->moveToThread(m_thread);
    m_thread->start();
}

BackgroundReader::~BackgroundReader()
{
    cancel();
    // The connection belongs to the thread: it is closed there, after the last read.
    QMetaObject::invokeMethod(
        m_inThread,
        [this] {
            const std::lock_guard lock(m_mutex);
            m_connection.reset();
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_inThread;
}

void BackgroundReader::start(Work work, Done done)
{
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    job->done = std::move(done);
    job->number = ++m_jobs;
    m_current = job;
    m_running = true;
    QMetaObject::invokeMethod(
        m_inThread, [this, job] { runInThread(job); }, Qt::QueuedConnection);
}

void BackgroundReader::cancel()
{
    if (!m_current)
        return;
    m_current->cancelled = true;
    m_current.reset();
    m_running = false;
    const std::lock_guard lock(m_mutex);
    if (m_connection)
        m_connection->cancel();
}

void BackgroundReader::runInThread(const std::shared_ptr<Job>& job)
{
    Outcome outcome;
    if (!job->cancelled) {
        try {
            if (!m_connection) {
                auto opened = m_opener();
                const std::lock_guard lock(m_mutex);
                m_connection = std::move(opened);
            }
            if (!m_connection)
                throw DbError(0, QStringLiteral("No connection for the report."));
            job->work(*m_connection);
        } catch (const DbError& error) {
            outcome.error = error;
        }
    }
    // A cancelled read may have ended with the interruption's error, or not at all.
    outcome.cancelled = job->cancelled;
    QMetaObject::invokeMethod(
        this, [this, job, outcome] { finish(job, outcome); }, Qt::QueuedConnection);
}

void BackgroundReader::finish(const std::shared_ptr<Job>& job, const Outcome& outcome)
{
    if (m_current == job && !outcome.cancelled) {
        m_current.reset();
        m_running = false;
        job->done(outcome);
    }
    emit idle();
}
