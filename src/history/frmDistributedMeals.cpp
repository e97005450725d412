#include "frmDistributedMeals.h"

#include "ChangeText.h"
#include "PagedRowsModel.h"
#include "context/AppContext.h"
#include "context/GlobalLookups.h"
#include "context/WindowRegistry.h"
#include "counter/MealRevoke.h"
#include "data/ColumnLengths.h"
#include "data/CsvWriter.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "frmEmployeeLookup.h"
#include "lookup/frmSearcher.h"
#include "settings/MealModes.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum View
{
    MealsView = 0,
    ChangesView = 1
};

// Rows of a page as the list keeps them.
QList<QStringList> rowsOf(const Recordset& page)
{
    return page.rows();
}

QDateTimeEdit* dateTimeBox(QWidget* parent, const QString& name)
{
    auto* box = FormControls::control<QDateTimeEdit>(parent, name);
    box->setCalendarPopup(true);
    box->setDisplayFormat(GeneralDate::format());
    return box;
}

// Midnight to the last second of a day.
void setDay(QDateTimeEdit* from, QDateTimeEdit* to, const QDate& day)
{
    from->setDateTime(QDateTime(day, QTime(0, 0)));
    to->setDateTime(QDateTime(day, QTime(23, 59, 59)));
}

QString plural(qint64 count, const QString& one, const QString& many)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

// The lists' column captions, by the field names the procedures return.
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

// What the changes list shows of each change, in this order.
const QStringList& changeFields()
{
    static const QStringList fields{QStringLiteral("CHANGEDAT"), QStringLiteral("USERID"),
                                    QStringLiteral("LOGINNAME"), QStringLiteral("CHANGE")};
    return fields;
}

} // namespace

frmDistributedMeals::frmDistributedMeals(AppContext& context) : m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmDistributedMeals"));
    setWindowTitle(QStringLiteral("Distributed Meals"));
    chooseExportFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export to CSV"),
                                            QStringLiteral("distributed-meals.csv"),
                                            QStringLiteral("CSV files (*.csv)"));
    };
    createControls();
}

void frmDistributedMeals::createControls()
{
    auto* layout = new QVBoxLayout(this);
    tabViews = FormControls::control<QTabWidget>(this, QStringLiteral("tabViews"));
    tabViews->addTab(createMealsPage(), QStringLiteral("Distributed Meals"));
    tabViews->addTab(createChangesPage(), QStringLiteral("Changes"));
    layout->addWidget(tabViews);
    connect(tabViews, &QTabWidget::currentChanged, this,
            &frmDistributedMeals::tabViews_CurrentChanged);
}

QTableView* frmDistributedMeals::createList(QWidget* parent, const QString& name,
                                            PagedRowsModel* model)
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

QWidget* frmDistributedMeals::createMealsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pageMeals"));
    auto* grid = new QGridLayout;
    const auto label = [page](const QString& name, const QString& caption) {
        return FormControls::label(page, name, caption);
    };
    dtpFrom = dateTimeBox(page, QStringLiteral("dtpFrom"));
    dtpTo = dateTimeBox(page, QStringLiteral("dtpTo"));
    txtEmployee = FormControls::textBox(page, QStringLiteral("txtEmployee"));
    txtEmployee->setPlaceholderText(QStringLiteral("number or last name"));
    cmdEmployee = FormControls::button(page, QStringLiteral("cmdEmployee"), QStringLiteral("..."));
    lblEmployeeName = label(QStringLiteral("lblEmployeeName"), QString());
    txtMeal = FormControls::textBox(page, QStringLiteral("txtMeal"));
    cmdMeal = FormControls::button(page, QStringLiteral("cmdMeal"), QStringLiteral("..."));
    cboMealMode = FormControls::control<QComboBox>(page, QStringLiteral("cboMealMode"));
    cboMealMode->setEditable(true);
    cboMealMode->setInsertPolicy(QComboBox::NoInsert);
    cboMealMode->addItems(QStringList{QString()} + MealModes::all());
    txtClerk = FormControls::textBox(page, QStringLiteral("txtClerk"));
    // No box takes more than its procedure parameter holds: a number or a last name to
    // look up, codes as the history procedure reads them.
    txtEmployee->setMaxLength(ColumnLengths::SearchText);
    txtMeal->setMaxLength(ColumnLengths::Code);
    cboMealMode->lineEdit()->setMaxLength(ColumnLengths::MealMode);
    txtClerk->setMaxLength(ColumnLengths::Code);
    chkShowRevoked = FormControls::control<QCheckBox>(page, QStringLiteral("chkShowRevoked"));
    chkShowRevoked->setText(QStringLiteral("Show revoked meals"));
    cmdSearch = FormControls::button(page, QStringLiteral("cmdSearch"), QStringLiteral("Search"));
    cmdRevoke = FormControls::button(page, QStringLiteral("cmdRevoke"), QStringLiteral("Revoke"));
    cmdExport =
        FormControls::button(page, QStringLiteral("cmdExport"), QStringLiteral("Export CSV..."));
    lblCount = label(QStringLiteral("lblCount"), QString());

    grid->addWidget(label(QStringLiteral("lblFrom"), QStringLiteral("From")), 0, 0);
    grid->addWidget(dtpFrom, 0, 1);
    grid->addWidget(label(QStringLiteral("lblTo"), QStringLiteral("To")), 0, 2);
    grid->addWidget(dtpTo, 0, 3);
    grid->addWidget(label(QStringLiteral("lblEmployee"), QStringLiteral("Employee")), 1, 0);
    auto* employee = new QHBoxLayout;
    employee->addWidget(txtEmployee);
    employee->addWidget(cmdEmployee);
    grid->addLayout(employee, 1, 1);
    grid->addWidget(lblEmployeeName, 1, 2, 1, 2);
    grid->addWidget(label(QStringLiteral("lblMeal"), QStringLiteral("Meal")), 2, 0);
    auto* meal = new QHBoxLayout;
    meal->addWidget(txtMeal);
    meal->addWidget(cmdMeal);
    grid->addLayout(meal, 2, 1);
    grid->addWidget(label(QStringLiteral("lblMealMode"), QStringLiteral("Meal mode")), 2, 2);
    grid->addWidget(cboMealMode, 2, 3);
    grid->addWidget(label(QStringLiteral("lblClerk"), QStringLiteral("Clerk")), 3, 0);
    grid->addWidget(txtClerk, 3, 1);
    grid->addWidget(chkShowRevoked, 3, 2, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdRevoke);
    buttons->addWidget(cmdExport);
    buttons->addStretch();
    buttons->addWidget(lblCount);
    grid->setColumnStretch(4, 1);

    m_meals = new PagedRowsModel(this);
    grdMeals = createList(page, QStringLiteral("grdMeals"), m_meals);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(grdMeals, 1);

    for (QLineEdit* box : {txtEmployee, txtMeal, txtClerk})
        FormControls::onEnter(box, [this] { cmdSearch_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, &frmDistributedMeals::cmdSearch_Click);
    connect(cmdEmployee, &QPushButton::clicked, this, &frmDistributedMeals::cmdEmployee_Click);
    connect(cmdMeal, &QPushButton::clicked, this, &frmDistributedMeals::cmdMeal_Click);
    connect(cmdRevoke, &QPushButton::clicked, this, &frmDistributedMeals::cmdRevoke_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmDistributedMeals::cmdExport_Click);
    connect(m_meals, &PagedRowsModel::moreWanted, this, &frmDistributedMeals::fetchMoreMeals);
    return page;
}

QWidget* frmDistributedMeals::createChangesPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pageChanges"));
    dtpChangesFrom = dateTimeBox(page, QStringLiteral("dtpChangesFrom"));
    dtpChangesTo = dateTimeBox(page, QStringLiteral("dtpChangesTo"));
    cboTable = FormControls::control<QComboBox>(page, QStringLiteral("cboTable"));
    const QList<std::pair<const char*, const char*>> tables{
        {"(all)", ""},
        {"Meals", "tbcoMeal"},
        {"Meal types", "tbcoMealType"},
        {"Tags", "tbTALOEmployeeMeal"},
        {"Rights", "tbTALOUserRights"},
        {"Revokes", "tbTALOEmployeeDistributedMeals"},
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

    m_changes = new PagedRowsModel(this);
    grdChanges = createList(page, QStringLiteral("grdChanges"), m_changes);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(filters);
    layout->addWidget(grdChanges, 1);

    FormControls::onEnter(txtUser, [this] { cmdChangesSearch_Click(); });
    connect(cmdChangesSearch, &QPushButton::clicked, this,
            &frmDistributedMeals::cmdChangesSearch_Click);
    connect(m_changes, &PagedRowsModel::moreWanted, this, &frmDistributedMeals::fetchMoreChanges);
    return page;
}

void frmDistributedMeals::Form_Load()
{
    // Today is the server's day, as the counter records it.
    const QDate today = m_context.dtServerDate.date() > AppContext::zeroDateTime().date()
                            ? m_context.dtServerDate.date()
                            : QDate::currentDate();
    setDay(dtpFrom, dtpTo, today);
    setDay(dtpChangesFrom, dtpChangesTo, today);
    for (QLineEdit* box : {txtEmployee, txtMeal, txtClerk, txtUser})
        box->clear();
    takeEmployee({}, {});
    cboMealMode->setCurrentIndex(0);
    cboTable->setCurrentIndex(0);
    chkShowRevoked->setChecked(false);
    m_changes->reset({}, false);
    lblChangesCount->clear();
    {
        const QSignalBlocker quiet(tabViews);
        tabViews->setCurrentIndex(MealsView);
    }
    cmdSearch_Click();
}

// --- Meals view ---------------------------------------------------------------------

bool frmDistributedMeals::lookUpEmployee()
{
    frmEmployeeLookup& lookup = m_context.windows().get<frmEmployeeLookup>();
    lookup.strSearchText = txtEmployee->text().trimmed();
    lookup.showModal();
    if (lookup.strEmpNum.isEmpty())
        return false;
    takeEmployee(lookup.strEmpNum, lookup.strEmpName);
    return true;
}

void frmDistributedMeals::takeEmployee(const QString& number, const QString& name)
{
    txtEmployee->setText(number);
    lblEmployeeName->setText(name);
    m_employeeText = number;
    m_employeeNumber = number;
}

bool frmDistributedMeals::resolveEmployee()
{
    const QString text = txtEmployee->text().trimmed();
    if (text.isEmpty()) {
        takeEmployee({}, {});
        return true;
    }
    if (text == m_employeeText)
        return true;
    const Recordset found = m_data.employees(text);
    for (int row = 0; row < found.recordCount(); ++row) {
        // A number typed in full wins over last names that begin with it.
        if (found.recordCount() == 1 ||
            found.value(row, 0).compare(text, Qt::CaseInsensitive) == 0) {
            takeEmployee(found.value(row, 0), found.value(row, 1));
            return true;
        }
    }
    if (found.eof()) {
        m_context.messages().info(QStringLiteral("No employee has the number or last name ") +
                                  text + QStringLiteral("."));
        return false;
    }
    return lookUpEmployee();
}

bool frmDistributedMeals::readMealFilter(HistoryData::MealFilter& filter)
{
    if (dtpFrom->dateTime() > dtpTo->dateTime()) {
        m_context.messages().info(QStringLiteral("The From date-time is after the To date-time."));
        return false;
    }
    if (!resolveEmployee())
        return false;
    filter.from = dtpFrom->dateTime();
    filter.to = dtpTo->dateTime();
    filter.employee = m_employeeNumber;
    filter.meal = txtMeal->text().trimmed();
    filter.mode = cboMealMode->currentText().trimmed();
    filter.clerk = txtClerk->text().trimmed();
    filter.showRevoked = chkShowRevoked->isChecked();
    return true;
}

void frmDistributedMeals::cmdSearch_Click()
{
    m_context.attempt([this] {
        HistoryData::MealFilter filter;
        if (!readMealFilter(filter))
            return;
        const qint64 count = m_data.mealCount(filter);
        KeysetPager pager = mealPager(filter, pageSize);
        const Recordset first = pager.next();
        // Only a search that answered replaces what is shown.
        m_mealFilter = filter;
        m_searched = true;
        m_mealPager = pager;
        m_meals->setHeaders(first.fieldNames(), captionsOf(first.fieldNames()));
        m_meals->setMarkColumn(first.fieldIndex(QStringLiteral("REVOKEDBY")));
        m_meals->reset(rowsOf(first), !pager.atEnd());
        // A new search starts at its first meal, wherever the last one was scrolled to.
        grdMeals->scrollToTop();
        grdMeals->resizeColumnsToContents();
        showCount(count);
    });
}

void frmDistributedMeals::showCount(qint64 count)
{
    lblCount->setText(plural(count, QStringLiteral("meal"), QStringLiteral("meals")));
}

void frmDistributedMeals::showChangeCount(qint64 count)
{
    lblChangesCount->setText(plural(count, QStringLiteral("change"), QStringLiteral("changes")));
}

void frmDistributedMeals::fetchMoreMeals()
{
    fetchMore(*m_meals, m_mealPager, rowsOf);
}

void frmDistributedMeals::fetchMore(PagedRowsModel& model, KeysetPager& pager,
                                    const std::function<QList<QStringList>(const Recordset&)>& rows)
{
    if (m_fetching)
        return;
    m_fetching = true;
    const bool read = m_context.attempt([&] {
        const Recordset page = pager.next();
        model.append(rows(page), !pager.atEnd());
    });
    // After a failed read the list stops asking; Search starts over.
    if (!read)
        model.append({}, false);
    m_fetching = false;
}

KeysetPager frmDistributedMeals::mealPager(const HistoryData::MealFilter& filter, int size) const
{
    return KeysetPager([this, filter](const HistoryData::Key& after,
                                      int n) { return m_data.mealPage(filter, after, n); },
                       QStringLiteral("MEALDATE"), QStringLiteral("TRANSNUM"), size);
}

void frmDistributedMeals::cmdEmployee_Click()
{
    m_context.attempt([this] { lookUpEmployee(); });
}

void frmDistributedMeals::cmdMeal_Click()
{
    m_context.attempt([this] {
        frmSearcher& lookup = m_context.windows().get<frmSearcher>();
        lookup.strMode = QStringLiteral("2");
        lookup.strSearchText = txtMeal->text().trimmed();
        lookup.showModal();
        if (!lookup.strCode.isEmpty())
            txtMeal->setText(lookup.strCode);
    });
}

int frmDistributedMeals::mealColumn(const QString& field) const
{
    return int(m_meals->headers().indexOf(field));
}

void frmDistributedMeals::cmdRevoke_Click()
{
    const int row = grdMeals->currentIndex().isValid() ? grdMeals->currentIndex().row() : -1;
    if (row < 0) {
        m_context.messages().info(QStringLiteral("Choose the meal to revoke."));
        return;
    }
    const QString empNum = m_meals->text(row, mealColumn(QStringLiteral("EMPNUM")));
    const QString transNum = m_meals->text(row, mealColumn(QStringLiteral("TRANSNUM")));
    const QString date = m_meals->text(row, mealColumn(QStringLiteral("MEALDATE")));
    if (m_meals->isMarked(row)) {
        m_context.messages().info(QStringLiteral("Meal ") + transNum +
                                  QStringLiteral(" is already revoked."));
        return;
    }
    m_context.attempt([&] {
        if (!CheckUserRights(m_context, QStringLiteral("8"))) {
            m_context.messages().info(QStringLiteral("No Access."));
            return;
        }
        if (!MealRevoke(m_context).confirmAndRevoke(empNum, transNum))
            return;
        // The row is read again so it shows who revoked it and when.
        const Recordset again = m_data.meal(empNum, date, transNum);
        if (!again.eof())
            m_meals->replaceRow(row, again.rows().first());
        // The count follows: with revoked meals hidden, this one no longer counts.
        showCount(m_data.mealCount(m_mealFilter));
    });
}

qint64 frmDistributedMeals::writeCsv(QFile& file)
{
    CsvWriter csv(file);
    const auto failed = [&file] {
        return DbError(0, QStringLiteral("Could not write ") + file.fileName() +
                              QStringLiteral(": ") + file.errorString());
    };
    KeysetPager pager = mealPager(m_mealFilter, 1000);
    qint64 written = 0;
    bool header = true;
    while (!pager.atEnd()) {
        const Recordset page = pager.next();
        if (header && !csv.writeRow(page.fieldNames()))
            throw failed();
        header = false;
        for (const Recordset::Row& row : page.rows()) {
            if (!csv.writeRow(row))
                throw failed();
            ++written;
        }
    }
    return written;
}

void frmDistributedMeals::cmdExport_Click()
{
    // Without a search that answered there is no filter to export by (and the empty
    // filter would mean every meal ever handed out).
    if (!m_searched) {
        m_context.messages().info(QStringLiteral("Search for the meals to export first."));
        return;
    }
    const QString path = chooseExportFile ? chooseExportFile() : QString();
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_context.messages().info(QStringLiteral("Could not write ") + path + QStringLiteral(": ") +
                                  file.errorString());
        return;
    }
    qint64 written = 0;
    // Every page of the last search goes to the file, read again page by page so the
    // window never holds more than one page for the export.
    const bool done = m_context.attempt([&] { written = writeCsv(file); });
    file.close();
    if (!done) {
        file.remove();
        return;
    }
    m_context.messages().info(QStringLiteral("Exported ") +
                              plural(written, QStringLiteral("meal"), QStringLiteral("meals")) +
                              QStringLiteral(" to ") + path + QStringLiteral("."));
}

// --- Changes view -------------------------------------------------------------------

void frmDistributedMeals::tabViews_CurrentChanged(int index)
{
    if (index != ChangesView)
        return;
    bool granted = false;
    // A check that failed has shown its error; only a refusal says "No Access.".
    if (m_context.attempt([&] { granted = CheckUserRights(m_context, QStringLiteral("5")); }) &&
        !granted)
        m_context.messages().info(QStringLiteral("No Access."));
    if (!granted) {
        const QSignalBlocker quiet(tabViews);
        tabViews->setCurrentIndex(MealsView);
        return;
    }
    if (m_changes->rowCount() == 0)
        cmdChangesSearch_Click();
}

QList<QStringList> frmDistributedMeals::changeRows(const Recordset& page) const
{
    QList<QStringList> rows;
    rows.reserve(page.recordCount());
    for (int i = 0; i < page.recordCount(); ++i) {
        const ChangeText::Change change{
            page.value(i, QStringLiteral("CHANGEDAT")), page.value(i, QStringLiteral("USERID")),
            page.value(i, QStringLiteral("TABLENAME")), page.value(i, QStringLiteral("ACTION")),
            page.value(i, QStringLiteral("RECORDKEY")), page.value(i, QStringLiteral("DETAILS"))};
        rows << QStringList{change.changedAt, change.user,
                            page.value(i, QStringLiteral("LOGINNAME")),
                            ChangeText::describe(change, m_rightNames)};
    }
    return rows;
}

void frmDistributedMeals::cmdChangesSearch_Click()
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
            QStringLiteral("CHANGEDAT"), QStringLiteral("AUDITID"), pageSize);
        const Recordset first = pager.next();
        m_changePager = pager;
        m_changes->setHeaders(changeFields(), captionsOf(changeFields()));
        m_changes->reset(changeRows(first), !pager.atEnd());
        grdChanges->scrollToTop();
        grdChanges->resizeColumnsToContents();
        showChangeCount(count);
    });
}

void frmDistributedMeals::fetchMoreChanges()
{
    fetchMore(*m_changes, m_changePager,
              [this](const Recordset& page) { return changeRows(page); });
}
