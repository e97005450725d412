#pragma once

class Connection;

// While it lives, the connection's statements may run `Connection::LongWorkFactor` times
// their usual time: work the user chose to wait for (an import), not a clerk's wait.
class LongStatements
{
public:
    explicit LongStatements(Connection* connection);
    ~LongStatements();
    LongStatements(const LongStatements&) = delete;
    LongStatements& operator=(const LongStatements&) = delete;

private:
    Connection* m_connection;
    int m_usual = 0;
};
