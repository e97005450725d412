#pragma once

#include <QString>
#include <exception>
#include <string>

// A failed database call: the server's error number and its readable text.
// Every Connection throws this and nothing else for database failures.
class DbError : public std::exception
{
public:
    // `linkLost`: the link to the server failed, so the server may not have heard the
    // statement, or may have done it and its answer never arrived.
    DbError(int number, QString message, bool linkLost = false);

    // The number a server gives every message a procedure raises itself: a refusal of
    // wrong input ("Unknown meal."), not a fault of the database.
    static constexpr int refusalNumber = 50000;
    // The number ADO gives a statement that found no answer in its time.
    static constexpr int timeoutNumber = -2147217871;
    // A statement that had no answer within `seconds`: it was stopped and nothing of its
    // transaction was kept.
    static DbError timeout(int seconds);

    int number() const { return m_number; }
    bool isRefusal() const { return m_number == refusalNumber; }
    bool isLinkLost() const { return m_linkLost; }
    bool isTimedOut() const { return m_number == timeoutNumber; }
    // The server could not be reached or did not answer in time: nothing was stored, and
    // the work may be kept to send later.
    bool isUnavailable() const { return m_linkLost || isTimedOut(); }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_message;
    std::string m_what;
    bool m_linkLost = false;
};
