#include "MealsTab.h"

#include "HistoryCsv.h"
#include "HistoryView.h"
#include "PagedRowsModel.h"
#include "context/AppContext.h"
#include "context/Rights.h"
#include "context/WindowRegistry.h"
#include "counter/MealRevoke.h"
#include "data/ColumnLengths.h"
#include "frmEmployeeLookup.h"
#include "lookup/frmSearcher.h"
#include "settings/MealModes.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

using HistoryView::plural;

namespace {

// Rows of a page as the list keeps them.
QList<QStringList> rowsOf(const Recordset& page)
{
    return page.rows();
}

} // namespace

MealsTab::MealsTab(AppContext& context, HistoryData& data, const int& pageSize,
                   const std::function<QString()>& chooseExportFile)
    : m_context(context), m_data(data), m_pageSize(pageSize), m_chooseExportFile(chooseExportFile)
{
    setObjectName(QStringLiteral("pageMeals"));
    createControls();
}

void MealsTab::createControls()
{
    QWidget* page = this;
    auto* grid = new QGridLayout;
    const auto label = [page](const QString& name, const QString& caption) {
        return FormControls::label(page, name, caption);
    };
    dtpFrom = HistoryView::dateTimeBox(page, QStringLiteral("dtpFrom"));
    dtpTo = HistoryView::dateTimeBox(page, QStringLiteral("dtpTo"));
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
    grdMeals = HistoryView::createList(page, QStringLiteral("grdMeals"), m_meals);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(grdMeals, 1);

    for (QLineEdit* box : {txtEmployee, txtMeal, txtClerk})
        FormControls::onEnter(box, [this] { search(); });
    connect(cmdSearch, &QPushButton::clicked, this, &MealsTab::search);
    connect(cmdEmployee, &QPushButton::clicked, this,
            [this] { m_context.attempt([this] { lookUpEmployee(); }); });
    connect(cmdMeal, &QPushButton::clicked, this, &MealsTab::lookUpMeal);
    connect(cmdRevoke, &QPushButton::clicked, this, &MealsTab::revoke);
    connect(chkShowRevoked, &QCheckBox::toggled, this, &MealsTab::showRevokedChanged);
    connect(cmdExport, &QPushButton::clicked, this, &MealsTab::exportCsv);
    connect(m_meals, &PagedRowsModel::moreWanted, this,
            [this] { HistoryView::fetchMore(m_context, *m_meals, m_pager, rowsOf, m_fetching); });
}

void MealsTab::clear(const QDate& today)
{
    HistoryView::setDay(dtpFrom, dtpTo, today);
    for (QLineEdit* box : {txtEmployee, txtMeal, txtClerk})
        box->clear();
    takeEmployee({}, {});
    cboMealMode->setCurrentIndex(0);
    const QSignalBlocker quiet(chkShowRevoked);
    chkShowRevoked->setChecked(false);
}

bool MealsTab::lookUpEmployee()
{
    frmEmployeeLookup& lookup = m_context.windows().get<frmEmployeeLookup>();
    lookup.strSearchText = txtEmployee->text().trimmed();
    lookup.showModal();
    if (lookup.strEmpNum.isEmpty())
        return false;
    takeEmployee(lookup.strEmpNum, lookup.strEmpName);
    return true;
}

void MealsTab::takeEmployee(const QString& number, const QString& name)
{
    txtEmployee->setText(number);
    lblEmployeeName->setText(name);
    m_employeeText = number;
    m_employeeNumber = number;
}

bool MealsTab::resolveEmployee()
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

bool MealsTab::readFilter(HistoryData::MealFilter& filter)
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

void MealsTab::search()
{
    m_context.attempt([this] {
        HistoryData::MealFilter filter;
        if (!readFilter(filter))
            return;
        showMeals(filter);
    });
}

void MealsTab::showRevokedChanged()
{
    // The box changes the view of the list shown, not the boxes typed since: the last
    // search runs again with revoked meals shown or hidden.
    if (!m_searched)
        return;
    HistoryData::MealFilter filter = m_filter;
    filter.showRevoked = chkShowRevoked->isChecked();
    m_context.attempt([&] { showMeals(filter); });
}

void MealsTab::showMeals(const HistoryData::MealFilter& filter)
{
    const qint64 count = m_data.mealCount(filter);
    KeysetPager reader = pager(filter, m_pageSize);
    const Recordset first = reader.next();
    // Only a search that answered replaces what is shown.
    m_filter = filter;
    m_searched = true;
    m_pager = reader;
    m_meals->setHeaders(first.fieldNames(), HistoryView::captionsOf(first.fieldNames()));
    m_meals->setMarkColumn(first.fieldIndex(QStringLiteral("REVOKEDBY")));
    m_meals->reset(rowsOf(first), !reader.atEnd());
    // A new search starts at its first meal, wherever the last one was scrolled to.
    grdMeals->scrollToTop();
    grdMeals->resizeColumnsToContents();
    showCount(count);
}

void MealsTab::showCount(qint64 count)
{
    lblCount->setText(plural(count, QStringLiteral("meal"), QStringLiteral("meals")));
}

KeysetPager MealsTab::pager(const HistoryData::MealFilter& filter, int size) const
{
    return KeysetPager([this, filter](const HistoryData::Key& after,
                                      int n) { return m_data.mealPage(filter, after, n); },
                       QStringLiteral("MEALDATE"), QStringLiteral("TRANSNUM"), size);
}

void MealsTab::lookUpMeal()
{
    m_context.attempt([this] {
        frmSearcher& lookup = m_context.windows().get<frmSearcher>();
        lookup.strMode = frmSearcher::ModeMeals;
        lookup.strSearchText = txtMeal->text().trimmed();
        lookup.showModal();
        if (!lookup.strCode.isEmpty())
            txtMeal->setText(lookup.strCode);
    });
}

int MealsTab::column(const QString& field) const
{
    return int(m_meals->headers().indexOf(field));
}

void MealsTab::revoke()
{
    const int row = grdMeals->currentIndex().isValid() ? grdMeals->currentIndex().row() : -1;
    if (row < 0) {
        m_context.messages().info(QStringLiteral("Choose the meal to revoke."));
        return;
    }
    const QString empNum = m_meals->text(row, column(QStringLiteral("EMPNUM")));
    const QString transNum = m_meals->text(row, column(QStringLiteral("TRANSNUM")));
    const QString date = m_meals->text(row, column(QStringLiteral("MEALDATE")));
    if (m_meals->isMarked(row)) {
        m_context.messages().info(QStringLiteral("Meal ") + transNum +
                                  QStringLiteral(" is already revoked."));
        return;
    }
    m_context.attempt([&] {
        if (!Rights::heldOrRefused(m_context, Rights::Right::Revoke))
            return;
        const QString question = MealRevoke::namedQuestion(
            m_meals->text(row, column(QStringLiteral("MEAL"))),
            m_meals->text(row, column(QStringLiteral("DESCRIPTION"))), empNum,
            m_meals->text(row, column(QStringLiteral("NAME"))), date);
        if (!MealRevoke(m_context).confirmAndRevoke(empNum, transNum, question))
            return;
        // The row is read again so it shows who revoked it and when.
        const Recordset again = m_data.meal(empNum, date, transNum);
        if (!again.eof())
            m_meals->replaceRow(row, again.rows().first());
        // The count follows: with revoked meals hidden, this one no longer counts.
        showCount(m_data.mealCount(m_filter));
    });
}

void MealsTab::exportCsv()
{
    // Without a search that answered there is no filter to export by (and the empty
    // filter would mean every meal ever handed out).
    if (!m_searched) {
        m_context.messages().info(QStringLiteral("Search for the meals to export first."));
        return;
    }
    const QString path = m_chooseExportFile ? m_chooseExportFile() : QString();
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
    const bool done =
        m_context.attempt([&] { written = HistoryCsv::write(file, pager(m_filter, 1000)); });
    file.close();
    if (!done) {
        file.remove();
        return;
    }
    m_context.messages().info(QStringLiteral("Exported ") +
                              plural(written, QStringLiteral("meal"), QStringLiteral("meals")) +
                              QStringLiteral(" to ") + path + QStringLiteral("."));
}
