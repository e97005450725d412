#pragma once

#include "data/Recordset.h"

#include <QDateTime>
#include <QMap>
#include <QString>

class AppContext;

// The history window's conversation with the database server: pages of distributed
// meals and of the changes log, the count of meals a filter finds, and the personnel
// look-up of the employee filter. Every call is one statement and throws DbError when
// the server refuses it.
class HistoryData
{
public:
    // What the meals view shows. An invalid date-time or an empty text does not filter.
    struct MealFilter
    {
        QDateTime from;
        QDateTime to;
        QString employee;
        QString meal;
        QString mode;
        QString clerk;
        bool showRevoked = false;
    };
    // What the changes view shows; `table` is a table name of the audit log.
    struct ChangeFilter
    {
        QDateTime from;
        QDateTime to;
        QString table;
        QString user;
    };
    // The row a page ends on: its date-time (as the server sent it) and its number. An
    // empty key asks for the first page.
    struct Key
    {
        QString date;
        QString number;
    };

    explicit HistoryData(AppContext& context) : m_context(context) {}

    Recordset mealPage(const MealFilter& filter, const Key& after, int pageSize) const;
    // How many meals the filter finds, counted by the server.
    qint64 mealCount(const MealFilter& filter) const;
    // The meal with this transaction number as a page of one row, revoked or not, to
    // show it again after a change.
    Recordset meal(const QString& empNum, const QString& date, const QString& transNum) const;
    Recordset changePage(const ChangeFilter& filter, const Key& after, int pageSize) const;
    // How many changes the filter finds, counted by the server.
    qint64 changeCount(const ChangeFilter& filter) const;
    // The rights' descriptions by code, as User Access lists them.
    QMap<QString, QString> rightNames() const;
    // Everyone whose number equals `text` or whose last name begins with it.
    Recordset employees(const QString& text) const;

    static QString mealPageText(const MealFilter& filter, const Key& after, int pageSize);
    static QString mealCountText(const MealFilter& filter);
    static QString changePageText(const ChangeFilter& filter, const Key& after, int pageSize);
    static QString changeCountText(const ChangeFilter& filter);
    static QString rightNamesText();

private:
    AppContext& m_context;
};
