#pragma once

#include <QObject>
#include <QString>

class Connection;
class QThread;

// Sends the journal's waiting orders to the server on a thread of its own, over a
// connection of its own, so that a server slow to answer (or not answering at all)
// never holds up the clerk. One replay at a time; the journal's lock keeps it apart
// from a replay the counter makes before an order, or another program's.
class JournalReplayer : public QObject
{
    Q_OBJECT

public:
    explicit JournalReplayer(QObject* parent = nullptr);
    ~JournalReplayer() override;

    // Starts a replay unless one runs. `server` makes the replay's own connection (on the
    // replay's thread), whose statements get `timeout` seconds each.
    void start(const Connection& server, const QString& journalPath, int timeout);
    bool running() const { return m_thread != nullptr; }

signals:
    // The replay ended; `waiting` orders still wait (-1: the server could not be reached).
    void replayed(int waiting);

private:
    void finish(int waiting);

    QThread* m_thread = nullptr;
};
