#include "BackgroundLink.h"

#include "data/Connection.h"
#include "data/DbError.h"

#include <QThread>

BackgroundLink::BackgroundLink(QObject* parent) : QObject(parent) {}

BackgroundLink::~BackgroundLink()
{
    if (m_thread) {
        // A statement under way ends within its timeout.
        m_thread->wait();
        delete m_thread;
    }
}

void BackgroundLink::start(const Connection& server, int timeout, Work work)
{
    if (m_thread)
        return;
    const Connection* source = &server;
    m_thread = QThread::create([this, source, timeout, work = std::move(work)] {
        int result = -1;
        try {
            // Opening it is the probe: a server that does not answer costs this thread
            // the time, not the clerk.
            const std::unique_ptr<Connection> own = source->openReader();
            if (own) {
                own->setStatementTimeout(timeout);
                result = work(*own);
            }
        } catch (const DbError&) {
            result = -1;
        }
        QMetaObject::invokeMethod(
            this, [this, result] { finish(result); }, Qt::QueuedConnection);
    });
    m_thread->start();
}

void BackgroundLink::finish(int result)
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    emit finished(result);
}
