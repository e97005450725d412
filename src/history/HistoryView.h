#pragma once

#include "KeysetPager.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>

class AppContext;
class PagedRowsModel;
class QDate;
class QDateTimeEdit;
class QTableView;
class QWidget;

// The pieces both tabs of the history window are made of: date boxes, the paged lists,
// their captions and the count line.
namespace HistoryView {

QDateTimeEdit* dateTimeBox(QWidget* parent, const QString& name);
// Midnight to the last second of a day.
void setDay(QDateTimeEdit* from, QDateTimeEdit* to, const QDate& day);
// "1 meal", "3 meals".
QString plural(qint64 count, const QString& one, const QString& many);
// The lists' column captions, by the field names the procedures return.
QStringList captionsOf(const QStringList& fields);
// A list model's column header: its caption (the field name where there is none), and the
// field name under UserRole, for whoever finds a column by it.
QVariant headerData(const QStringList& fields, const QStringList& captions, int section,
                    Qt::Orientation orientation, int role);
// A read-only list of whole rows over `model`, rows of one fixed height.
QTableView* createList(QWidget* parent, const QString& name, PagedRowsModel* model);
// Appends the next page of `pager` to `model`, its rows made by `rows`. A failed read
// is shown and the list stops asking; a search starts over. `fetching` guards against
// a page asked for while one is being read.
void fetchMore(AppContext& context, PagedRowsModel& model, KeysetPager& pager,
               const std::function<QList<QStringList>(const Recordset&)>& rows, bool& fetching);
// The same for any list: `append` is given each page read and whether more follow (an
// empty page and false after a failed read).
void fetchMore(AppContext& context, KeysetPager& pager,
               const std::function<void(const Recordset&, bool more)>& append, bool& fetching);

} // namespace HistoryView
