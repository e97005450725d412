#include "ChangesTab.h"

#include "HistoryView.h"
#include "context/AppContext.h"
#include "data/ColumnLengths.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// What the changes list shows of each change, in this order.
const QStringList& changeFields()
{
    static const QStringList fields{QStringLiteral("CHANGEDAT"), QStringLiteral("USERID"),
                                    QStringLiteral("LOGINNAME"), QStringLiteral("CHANGE")};
    return fields;
}

} // namespace

ChangesTab::ChangesTab(AppContext& context, HistoryData& data, const int& pageSize)
    : m_context(context), m_data(data), m_pageSize(pageSize)
{
    setObjectName(QStringLiteral("pageChanges"));
    createControls();
}

void ChangesTab::createControls()
{
    QWidget* page = this;
    dtpChangesFrom = HistoryView::dateTimeBox(page, QStringLiteral("dtpChangesFrom"));
    dtpChangesTo = HistoryView::dateTimeBox(page, QStringLiteral("dtpChangesTo"));
    cboTable = FormControls::control<QComboBox>(page, QStringLiteral("cboTable"));
    const QList<std::pair<const char*, const char*>> tables{
        {"(all)", ""},
        {"Meals", "tbcoMeal"},
        {"Meal types", "tbcoMealType"},
        {"Tags", "tbTALOEmployeeMeal"},
        {"Rights", "tbTALOUserRights"},
        // A meal given is its own record; the log holds what happened to one afterwards, and
        // the orders a counter kept as refused that a supervisor settled.
        {"Revokes, refused orders", "tbTALOEmployeeDistributedMeals"},
        {"Users", "tbPasswordMain"},
        {"Sign-in access", "tbPasswordAppAccess"},
        {"Employees", "tbcmaster"},
        {"Departments", "tbcDepartment"},
        {"Site settings", "tbTALOSiteSetting"},
        {"Meal modes", "tbTALOMealModeSetting"},
        {"Failed sign-ins", "SignIn"}};
    for (const auto& [caption, table] : tables)
        cboTable->addItem(QString::fromLatin1(caption), QString::fromLatin1(table));
    txtUser = FormControls::textBox(page, QStringLiteral("txtUser"));
    txtUser->setMaxLength(ColumnLengths::Code);
    cmdChangesSearch =
        FormControls::button(page, QStringLiteral("cmdChangesSearch"), QStringLiteral("Search"));
    lblChangesCount = FormControls::label(page, QStringLiteral("lblChangesCount"), QString());

    auto* filters = new QHBoxLayout;
    filters->addWidget(FormControls::label(page, QStringLiteral("lblChangesFrom"), "From"));
    filters->addWidget(dtpChangesFrom);
    filters->addWidget(FormControls::label(page, QStringLiteral("lblChangesTo"), "To"));
    filters->addWidget(dtpChangesTo);
    filters->addWidget(FormControls::label(page, QStringLiteral("lblTable"), "Table"));
    filters->addWidget(cboTable);
    filters->addWidget(FormControls::label(page, QStringLiteral("lblUser"), "User"));
    filters->addWidget(txtUser);
    filters->addWidget(cmdChangesSearch);
    filters->addStretch();
    filters->addWidget(lblChangesCount);

    m_changes = new ChangeTreeModel(this);
    grdChanges = FormControls::control<QTreeView>(page, QStringLiteral("grdChanges"));
    grdChanges->setModel(m_changes);
    grdChanges->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdChanges->setSelectionMode(QAbstractItemView::SingleSelection);
    grdChanges->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdChanges->setWordWrap(false);
    // Lines of one height: the view never measures rows one by one as pages arrive.
    grdChanges->setUniformRowHeights(true);
    grdChanges->setAllColumnsShowFocus(true);
    grdChanges->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(filters);
    layout->addWidget(grdChanges, 1);

    FormControls::onEnter(txtUser, [this] { search(); });
    connect(cmdChangesSearch, &QPushButton::clicked, this, &ChangesTab::search);
    // Enter opens or closes a batch's line as Right and Left (or a double click) do.
    connect(grdChanges, &QTreeView::activated, this, [this](const QModelIndex& index) {
        const QModelIndex line = index.siblingAtColumn(0);
        if (m_changes->rowCount(line) > 0)
            grdChanges->setExpanded(line, !grdChanges->isExpanded(line));
    });
    grdChanges->setExpandsOnDoubleClick(false);
    // A batch's changes sit one step in: the first column widens to show them whole.
    connect(grdChanges, &QTreeView::expanded, this,
            [this] { grdChanges->resizeColumnToContents(0); });
    connect(m_changes, &ChangeTreeModel::moreWanted, this, [this] {
        HistoryView::fetchMore(
            m_context, m_pager,
            [this](const Recordset& page, bool more) { m_changes->append(rows(page), more); },
            m_fetching);
    });
}

void ChangesTab::clear(const QDate& today)
{
    HistoryView::setDay(dtpChangesFrom, dtpChangesTo, today);
    txtUser->clear();
    cboTable->setCurrentIndex(0);
    m_changes->reset({}, false);
    lblChangesCount->clear();
}

void ChangesTab::searchIfEmpty()
{
    if (m_changes->rowCount() == 0)
        search();
}

QList<ChangeTreeModel::Change> ChangesTab::rows(const Recordset& page) const
{
    QList<ChangeTreeModel::Change> rows;
    rows.reserve(page.recordCount());
    for (int i = 0; i < page.recordCount(); ++i) {
        const ChangeText::Change change{
            page.value(i, QStringLiteral("CHANGEDAT")), page.value(i, QStringLiteral("USERID")),
            page.value(i, QStringLiteral("TABLENAME")), page.value(i, QStringLiteral("ACTION")),
            page.value(i, QStringLiteral("RECORDKEY")), page.value(i, QStringLiteral("DETAILS"))};
        const ChangeText::Batch batch{page.value(i, QStringLiteral("BATCHKIND")),
                                      page.value(i, QStringLiteral("BATCHTITLE")),
                                      page.value(i, QStringLiteral("BATCHADDED")).toInt(),
                                      page.value(i, QStringLiteral("BATCHCHANGED")).toInt(),
                                      page.value(i, QStringLiteral("BATCHDEACTIVATED")).toInt()};
        const QString key = page.value(i, QStringLiteral("BATCHKEY"));
        rows << ChangeTreeModel::Change{
            {change.changedAt, change.user, page.value(i, QStringLiteral("LOGINNAME")),
             ChangeText::describe(change, m_rightNames)},
            // A key without its batch row (never written so) shows its changes one by one.
            batch.kind.isEmpty() ? QString() : key,
            ChangeText::summary(batch)};
    }
    return rows;
}

void ChangesTab::search()
{
    if (dtpChangesFrom->dateTime() > dtpChangesTo->dateTime()) {
        m_context.messages().info(QStringLiteral("The From date-time is after the To date-time."));
        return;
    }
    HistoryData::ChangeFilter filter;
    filter.from = dtpChangesFrom->dateTime();
    filter.to = dtpChangesTo->dateTime();
    filter.table = cboTable->currentData().toString();
    filter.user = txtUser->text().trimmed();
    m_context.attempt([this, filter] {
        if (m_rightNames.isEmpty())
            m_rightNames = m_data.rightNames();
        const qint64 count = m_data.changeCount(filter);
        KeysetPager pager(
            [this, filter](const HistoryData::Key& after, int size) {
                return m_data.changePage(filter, after, size);
            },
            QStringLiteral("CHANGEDAT"), QStringLiteral("AUDITID"), m_pageSize);
        const Recordset first = pager.next();
        m_pager = pager;
        m_changes->setHeaders(changeFields(), HistoryView::captionsOf(changeFields()));
        m_changes->reset(rows(first), !pager.atEnd());
        grdChanges->scrollToTop();
        for (int column = 0; column + 1 < m_changes->columnCount(); ++column)
            grdChanges->resizeColumnToContents(column);
        showCount(count);
    });
}

void ChangesTab::showCount(qint64 count)
{
    lblChangesCount->setText(
        HistoryView::plural(count, QStringLiteral("change"), QStringLiteral("changes")));
}
