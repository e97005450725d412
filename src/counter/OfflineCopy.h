#pragma once

#include "data/Recordset.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

class Connection;

// What the counter needs to serve while the server cannot be reached, as the server
// last showed it: every employee (active or not, with the department), the meals each
// active employee may take (their tags, the meals and meal types as the server allows
// them), and the meals received on the day of the copy. It lives in a SQLite file of
// the workstation's own beside the order journal, never in the embedded store's file.
// A refresh writes a new file beside it and puts it in place only once complete, so a
// refresh cut half-way leaves the last good copy; a file without its completion row is
// never used.
class OfflineCopy
{
public:
    struct Employee
    {
        QString empNum;
        QString lastname;
        QString firstname;
        QString middlename;
        bool active = false;
        QString department;
        // "Last, First Middle", as the server's search shows it.
        QString name() const
        {
            return lastname + QStringLiteral(", ") + firstname + QLatin1Char(' ') + middlename;
        }
    };
    struct Meal
    {
        QString code;
        QString description;
        QString cost;
        QString type;
        QString status;
    };
    struct Received
    {
        QString empNum;
        QString meal;
        QString description;
        QDateTime served;
        QString remarks;
        QString clerk;
        QString transNum;
        QString mealMode;
    };

    // Reads everything over `server` and replaces the copy at `path` once it is whole.
    // `serverNow` is the server's time as the counter last read it: its day's meals are
    // copied, and the copy is of that time. The rights of `clerk` are copied too. Throws
    // DbError; the copy in place stays then.
    static void refresh(Connection& server, const QString& path, const QDateTime& serverNow,
                        const QString& clerk);

    // Where the copy of the counter whose order journal is at `journalPath` lives.
    static QString pathBeside(const QString& journalPath);

    // The copy at `path`, read whole; an empty one (not usable()) when there is none or
    // it was never completed.
    static OfflineCopy read(const QString& path);

    bool usable() const { return m_takenAt.isValid(); }
    // The server's time the copy shows.
    const QDateTime& takenAt() const { return m_takenAt; }
    // The workstation's clock when the copy was begun: what the counter learnt later is
    // newer.
    const QDateTime& takenHere() const { return m_takenHere; }
    // Whether the clerk the copy was taken for holds the right with this code.
    bool clerkHolds(const QString& clerk, const QString& rightCode) const;

    // The counter's employee search over the copy, with the server's columns (EMPNUM,
    // NAME, DATE, DEPARTMENT) and filtering: active employees whose number is the text,
    // whose last name or "Last, First Middle" begins with it (every active one for no
    // text), in name order. `day` fills the DATE column.
    Recordset employees(const QDate& day, const QString& text) const;
    const Employee* employee(const QString& empNum) const;
    // The meals the employee may take whose code is the text or whose description holds
    // it, with the server's columns (CODE, DESCRIPTION, COST, TYPE, STATUS).
    Recordset allowedMeals(const QString& empNum, const QString& text) const;
    // The employee's meals of `day` (none when the copy is of another day).
    QList<Received> received(const QString& empNum, const QDate& day) const;

private:
    QDateTime m_takenAt;
    QDateTime m_takenHere;
    QString m_clerk;
    QString m_clerkRights;
    QList<Employee> m_employees;
    QHash<QString, QList<Meal>> m_meals;
    QHash<QString, QList<Received>> m_received;
};
