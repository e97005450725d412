#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Connection;
class QThread;

// Work for the server on a thread of its own, over a connection of its own (the
// journal's replay, the refresh of the offline copy), so that a server slow to answer
// (or not answering at all) never holds up the clerk. One run at a time.
class BackgroundLink : public QObject
{
    Q_OBJECT

public:
    // Runs on the link's thread over its connection; answers what `finished` reports.
    using Work = std::function<int(Connection& own)>;

    explicit BackgroundLink(QObject* parent = nullptr);
    ~BackgroundLink() override;

    // Starts `work` unless a run is under way. `server` makes the run's own connection
    // (on the run's thread), whose statements get `timeout` seconds each.
    void start(const Connection& server, int timeout, Work work);
    bool running() const { return m_thread != nullptr; }

signals:
    // The run ended with what `work` answered (-1: the server could not be reached, or
    // refused the work).
    void finished(int result);

private:
    void finish(int result);

    QThread* m_thread = nullptr;
};
