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

    int number() const { return m_number; }
    bool isRefusal() const { return m_number == refusalNumber; }
    bool isLinkLost() const { return m_linkLost; }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_message;
    std::string m_what;
    bool m_linkLost = false;
};
