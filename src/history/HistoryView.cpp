#include "HistoryView.h"

#include "PagedRowsModel.h"
#include "context/AppContext.h"
#include "data/GeneralDate.h"
#include "widgets/FormControls.h"

#include <QDateTimeEdit>
#include <QHeaderView>
#include <QTableView>

namespace HistoryView {

QDateTimeEdit* dateTimeBox(QWidget* parent, const QString& name)
{
    auto* box = FormControls::control<QDateTimeEdit>(parent, name);
    box->setCalendarPopup(true);
    box->setDisplayFormat(GeneralDate::format());
    return box;
}

void setDay(QDateTimeEdit* from, QDateTimeEdit* to, const QDate& day)
{
    from->setDateTime(QDateTime(day, QTime(0, 0)));
    to->setDateTime(QDateTime(day, QTime(23, 59, 59)));
}

QString plural(qint64 count, const QString& one, const QString& many)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

QStringList captionsOf(const QStringList& fields)
{
    static const QList<std::pair<const char*, const char*>> words{{"MEALDATE", "Date and time"},
                                                                  {"EMPNUM", "Employee No."},
                                                                  {"NAME", "Name"},
                                                                  {"DEPARTMENT", "Department"},
                                                                  {"MEAL", "Meal"},
                                                                  {"DESCRIPTION", "Description"},
                                                                  {"MEALMODE", "Meal mode"},
                                                                  {"REMARKS", "Remarks"},
                                                                  {"CLERKID", "Clerk"},
                                                                  {"RECORDEDAT", "Recorded at"},
                                                                  {"REVOKEDBY", "Revoked by"},
                                                                  {"REVOKEDAT", "Revoked at"},
                                                                  {"TRANSNUM", "Transaction No."},
                                                                  {"CHANGEDAT", "Date and time"},
                                                                  {"USERID", "User"},
                                                                  {"LOGINNAME", "Server login"},
                                                                  {"CHANGE", "Change"}};
    QStringList captions;
    for (const QString& field : fields) {
        QString caption = field;
        for (const auto& [name, text] : words) {
            if (field == QLatin1String(name))
                caption = QString::fromLatin1(text);
        }
        captions << caption;
    }
    return captions;
}

QVariant headerData(const QStringList& fields, const QStringList& captions, int section,
                    Qt::Orientation orientation, int role)
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::UserRole)
        return fields.value(section);
    if (role != Qt::DisplayRole)
        return {};
    const QString caption = captions.value(section);
    return caption.isEmpty() ? fields.value(section) : caption;
}

QTableView* createList(QWidget* parent, const QString& name, PagedRowsModel* model)
{
    auto* list = FormControls::control<QTableView>(parent, name);
    list->setModel(model);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    // Fixed row heights: the view never measures rows one by one as pages arrive.
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    return list;
}

void fetchMore(AppContext& context, PagedRowsModel& model, KeysetPager& pager,
               const std::function<QList<QStringList>(const Recordset&)>& rows, bool& fetching)
{
    fetchMore(
        context, pager, [&](const Recordset& page, bool more) { model.append(rows(page), more); },
        fetching);
}

void fetchMore(AppContext& context, KeysetPager& pager,
               const std::function<void(const Recordset&, bool more)>& append, bool& fetching)
{
    if (fetching)
        return;
    fetching = true;
    const bool read = context.attempt([&] {
        const Recordset page = pager.next();
        append(page, !pager.atEnd());
    });
    // After a failed read the list stops asking; Search starts over.
    if (!read)
        append(Recordset(), false);
    fetching = false;
}

} // namespace HistoryView
