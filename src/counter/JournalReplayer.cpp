#include "JournalReplayer.h"

#include "CounterData.h"
#include "OrderJournal.h"
#include "data/Connection.h"
#include "data/DbError.h"

#include <QThread>

JournalReplayer::JournalReplayer(QObject* parent) : QObject(parent) {}

JournalReplayer::~JournalReplayer()
{
    if (m_thread) {
        // A statement under way ends within its timeout; the journal keeps what it sent.
        m_thread->wait();
        delete m_thread;
    }
}

void JournalReplayer::start(const Connection& server, const QString& journalPath, int timeout)
{
    if (m_thread)
        return;
    const Connection* source = &server;
    m_thread = QThread::create([this, source, journalPath, timeout] {
        int waiting = -1;
        try {
            // Opening it is the probe: a server that does not answer costs this thread
            // the time, not the clerk.
            const std::unique_ptr<Connection> own = source->openReader();
            if (own) {
                own->setStatementTimeout(timeout);
                OrderJournal journal(journalPath);
                waiting = CounterData::replay(*own, journal, journalPath);
            }
        } catch (const DbError&) {
            waiting = -1;
        }
        QMetaObject::invokeMethod(
            this, [this, waiting] { finish(waiting); }, Qt::QueuedConnection);
    });
    m_thread->start();
}

void JournalReplayer::finish(int waiting)
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    emit replayed(waiting);
}
