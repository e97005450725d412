#include "frmBulkMealTag.h"

#include "context/AppContext.h"
#include "context/Rights.h"
#include "context/WindowRegistry.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

#include <map>

using namespace FormControls;

namespace {

constexpr int kClientWidth = 8520;
constexpr int kClientHeight = 6480;

QRadioButton* option(QWidget* parent, const char* name, const QString& caption, int top)
{
    auto* widget = control<QRadioButton>(parent, QLatin1String(name), 240, top, 3660, 345);
    widget->setText(caption);
    return widget;
}

QPushButton* placedButton(QWidget* parent, const char* name, const QString& caption, int left)
{
    QPushButton* widget = button(parent, QLatin1String(name), caption);
    Twips::place(widget, left, 5880, 1215, 420);
    return widget;
}

QString departmentKey(const QString& code)
{
    return code.trimmed().toUpper();
}

} // namespace

frmBulkMealTag::frmBulkMealTag(AppContext& context)
    : ModalForm(context.modal()), m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmBulkMealTag"));
    setWindowTitle(QStringLiteral("Bulk Meal Tagging"));
}

void frmBulkMealTag::openChecked(AppContext& context)
{
    context.attempt([&context] {
        if (!Rights::heldOrRefused(context, Rights::Right::Tagging))
            return;
        context.windows().get<frmBulkMealTag>().showModal();
    });
}

void frmBulkMealTag::createControls(QWidget* surface)
{
    setClientSizeTwips(kClientWidth, kClientHeight);
    // Nothing typed is lost by closing, so Escape may close the window.
    setClosesOnEscape(true);
    createEmployeeChoice(surface);
    createMealTypeChoice(surface);
    cmdPreview = placedButton(surface, "cmdPreview", QStringLiteral("&Preview"), 4440);
    cmdTag = placedButton(surface, "cmdTag", QStringLiteral("&Tag"), 5760);
    cmdClose = placedButton(surface, "cmdClose", QStringLiteral("&Close"), 7080);
    fitCaptions(surface);
    connectControls();
}

void frmBulkMealTag::createEmployeeChoice(QWidget* surface)
{
    lblEmployees = label(surface, QStringLiteral("lblEmployees"), QStringLiteral("Employees"));
    Twips::place(lblEmployees, 120, 120, 8280, 315);
    optAllActive = option(surface, "optAllActive", QStringLiteral("&Every active employee"), 480);
    optDepartment =
        option(surface, "optDepartment", QStringLiteral("Active employees of &department:"), 900);
    cboDepartment =
        control<QComboBox>(surface, QStringLiteral("cboDepartment"), 3960, 870, 4440, 375);
    optImported =
        option(surface, "optImported", QStringLiteral("Employees &new in the import:"), 1320);
    cboImported = control<QComboBox>(surface, QStringLiteral("cboImported"), 3960, 1290, 4440, 375);
    auto* group = new QButtonGroup(surface);
    group->addButton(optAllActive);
    group->addButton(optDepartment);
    group->addButton(optImported);
}

void frmBulkMealTag::createMealTypeChoice(QWidget* surface)
{
    QLabel* heading =
        label(surface, QStringLiteral("lblMealTypes"), QStringLiteral("&Meal types to give:"));
    Twips::place(heading, 120, 1860, 3600, 315);
    lstMealTypes =
        control<QListWidget>(surface, QStringLiteral("lstMealTypes"), 120, 2220, 3600, 2640);
    heading->setBuddy(lstMealTypes);
    Twips::place(
        label(surface, QStringLiteral("lblPreview"), QStringLiteral("What the tagging would do:")),
        3960, 1860, 4440, 315);
    mshBulkPreview = grid(surface, QStringLiteral("mshBulkPreview"));
    Twips::place(mshBulkPreview, 3960, 2220, 4440, 2640);
    lblBulkSummary = label(surface, QStringLiteral("lblBulkSummary"), QString());
    Twips::place(lblBulkSummary, 120, 4980, 8280, 735);
    lblBulkSummary->setWordWrap(true);
}

void frmBulkMealTag::connectControls()
{
    for (QRadioButton* choice : {optAllActive.data(), optDepartment.data(), optImported.data()})
        connect(choice, &QRadioButton::toggled, this, [this] { invalidate(); });
    // Picking a department or an import group chooses that way of selecting too.
    connect(cboDepartment, &QComboBox::activated, this, [this] {
        optDepartment->setChecked(true);
        invalidate();
    });
    connect(cboImported, &QComboBox::activated, this, [this] {
        optImported->setChecked(true);
        invalidate();
    });
    connect(lstMealTypes, &QListWidget::itemChanged, this, [this] { invalidate(); });
    connect(cmdPreview, &QPushButton::clicked, this,
            [this] { m_context.attempt([this] { preview(); }); });
    connect(cmdTag, &QPushButton::clicked, this, [this] { m_context.attempt([this] { tag(); }); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { unload(); });
    // Enter in the choices asks for the counts; the key is not swallowed.
    for (QWidget* box :
         {static_cast<QWidget*>(lstMealTypes.data()), static_cast<QWidget*>(cboDepartment.data()),
          static_cast<QWidget*>(cboImported.data())})
        onEnter(box, [this] { m_context.attempt([this] { preview(); }); });
}

void frmBulkMealTag::Form_Load()
{
    layOutPreview();
    m_context.attempt([this] { fillChoices(); });
    reloadOffer();
    if (!m_import.isEmpty())
        optImported->setChecked(true);
    else if (cboDepartment->count() > 0)
        optDepartment->setChecked(true);
    else
        optAllActive->setChecked(true);
    invalidate();
    lstMealTypes->setFocus();
}

void frmBulkMealTag::fillChoices()
{
    m_departmentNames.clear();
    const Recordset departments = m_data.departments();
    for (const Recordset::Row& row : departments.rows()) {
        cboDepartment->addItem(row.at(1), row.at(0));
        m_departmentNames.insert(departmentKey(row.at(0)), row.at(1));
    }
    const Recordset mealTypes = m_data.activeMealTypes();
    for (const Recordset::Row& row : mealTypes.rows()) {
        auto* item =
            new QListWidgetItem(row.at(1) + QStringLiteral("  (") + row.at(0) + QLatin1Char(')'));
        item->setData(Qt::UserRole, row.at(0));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        lstMealTypes->addItem(item);
    }
    if (lstMealTypes->count() > 0)
        lstMealTypes->setCurrentRow(0);
}

void frmBulkMealTag::fillImportedChoice()
{
    cboImported->clear();
    const QList<ImportOffer::Employee>& employees = m_import.employees;
    // One entry for all of them, then one per department, by department name.
    std::map<QString, std::pair<QString, int>> byName;
    for (const ImportOffer::Employee& employee : employees) {
        const QString key = departmentKey(employee.deptCode);
        const QString name = key.isEmpty() ? QStringLiteral("(no department)")
                                           : m_departmentNames.value(key, employee.deptCode);
        auto& entry = byName[name];
        entry.first = key;
        ++entry.second;
    }
    // Employees of one department are named by it.
    const QString all =
        byName.size() == 1 ? byName.begin()->first : QStringLiteral("Every department");
    if (!employees.isEmpty())
        cboImported->addItem(QStringLiteral("%1: %2 employees").arg(all).arg(employees.size()));
    else
        cboImported->addItem(QStringLiteral("No import with new employees to tag"));
    if (byName.size() > 1)
        for (const auto& [name, entry] : byName)
            cboImported->addItem(QStringLiteral("%1: %2").arg(name).arg(entry.second), entry.first);
    // The import they came with is named, so an older offer is never taken for the last.
    lblEmployees->setText(
        employees.isEmpty()
            ? QStringLiteral("Employees")
            : QStringLiteral("Employees (the last import: %1)").arg(m_import.origin()));
    optImported->setEnabled(!employees.isEmpty());
    cboImported->setEnabled(!employees.isEmpty());
}

void frmBulkMealTag::invalidate()
{
    if (!cmdTag)
        return;
    cmdTag->setEnabled(false);
    layOutPreview();
    lblBulkSummary->setText(
        QStringLiteral("Choose the employees and the meal types, then press Preview."));
}

void frmBulkMealTag::layOutPreview()
{
    mshBulkPreview->layOut(QStringLiteral(" |<MEAL TYPE |>EMPLOYEES |>TO TAG |>ALREADY"), 5,
                           {0, 1300, 1200, 850, 900});
}

bool frmBulkMealTag::chooseSelection(BulkTagData::Selection& selection)
{
    for (int row = 0; row < lstMealTypes->count(); ++row)
        if (lstMealTypes->item(row)->checkState() == Qt::Checked)
            selection.mealTypes << lstMealTypes->item(row)->data(Qt::UserRole).toString();
    if (selection.mealTypes.isEmpty()) {
        m_context.messages().info(QStringLiteral("Choose at least one meal type."));
        return false;
    }
    if (optDepartment->isChecked()) {
        if (cboDepartment->currentIndex() < 0) {
            m_context.messages().info(QStringLiteral("Choose a department."));
            return false;
        }
        selection.scope = BulkTagData::Scope::Department;
        selection.department = cboDepartment->currentData().toString();
    } else if (optImported->isChecked()) {
        selection.scope = BulkTagData::Scope::List;
        const QVariant group = cboImported->currentData();
        for (const ImportOffer::Employee& employee : m_import.employees)
            if (!group.isValid() || departmentKey(employee.deptCode) == group.toString())
                selection.employees << employee.number;
    }
    return true;
}

void frmBulkMealTag::preview()
{
    invalidate();
    BulkTagData::Selection selection;
    if (!chooseSelection(selection))
        return;
    showCounts(m_data.tag(selection, false));
    m_previewed = selection;
    if (m_employees == 0)
        lblBulkSummary->setText(QStringLiteral("Nobody to tag: %1.").arg(whom(0)) + leftOut(false));
    else if (m_toTag == 0)
        lblBulkSummary->setText(QStringLiteral("Nothing to tag: %1 all have %2 already.")
                                    .arg(whom(m_employees), typeNames()) +
                                leftOut(false));
    else
        lblBulkSummary->setText(QStringLiteral("Tag %1 with %2: %3 tags to add, %4 already there.")
                                    .arg(whom(m_employees), typeNames())
                                    .arg(m_toTag)
                                    .arg(m_already) +
                                leftOut(false));
    cmdTag->setEnabled(m_toTag > 0);
}

QString frmBulkMealTag::leftOut(bool done) const
{
    // The list's employees the store did not count are its inactive ones: an unknown
    // number would have been refused.
    if (m_previewed.scope != BulkTagData::Scope::List)
        return QString();
    const QSet<QString> listed(m_previewed.employees.cbegin(), m_previewed.employees.cend());
    const int inactive = int(listed.size()) - m_employees;
    if (inactive <= 0)
        return QString();
    if (inactive == 1)
        return done ? QStringLiteral(" 1 inactive employee was left out.")
                    : QStringLiteral(" 1 inactive employee is left out.");
    return (done ? QStringLiteral(" %1 inactive employees were left out.")
                 : QStringLiteral(" %1 inactive employees are left out."))
        .arg(inactive);
}

void frmBulkMealTag::reloadOffer()
{
    // Unread (a failed call, told to the user), there is no offer rather than an old one.
    m_import = {};
    m_context.attempt([this] { m_import = m_data.lastImport(); });
    // The choice goes on to what is left of the import, if anything.
    fillImportedChoice();
}

void frmBulkMealTag::tag()
{
    if (!cmdTag->isEnabled())
        return;
    if (!m_context.messages().ask(QStringLiteral("Tag %1 with %2? %3 tags will be added.")
                                      .arg(whom(m_employees), typeNames())
                                      .arg(m_toTag),
                                  QStringLiteral("Confirmation")))
        return;
    const Recordset done = m_data.tag(m_previewed, true);
    cmdTag->setEnabled(false);
    showCounts(done);
    m_context.messages().info(
        QStringLiteral("Done. %1 tags added, %2 were there already.").arg(m_toTag).arg(m_already) +
        leftOut(true));
    lblBulkSummary->setText(
        QStringLiteral("Tagged %1 with %2: %3 tags added, %4 were there already.")
            .arg(whom(m_employees), typeNames())
            .arg(m_toTag)
            .arg(m_already) +
        leftOut(true));
    if (m_previewed.scope == BulkTagData::Scope::List)
        reloadOffer();
}

void frmBulkMealTag::showCounts(const Recordset& counts)
{
    m_toTag = 0;
    m_already = 0;
    m_employees = 0;
    QList<Recordset::Row> rows;
    for (const Recordset::Row& row : counts.rows()) {
        m_employees = std::max(m_employees, row.at(2).toInt());
        m_toTag += row.at(3).toInt();
        m_already += row.at(4).toInt();
        rows.append({row.at(1), row.at(2), row.at(3), row.at(4)});
    }
    layOutPreview();
    mshBulkPreview->fill(Recordset({QStringLiteral("MEAL TYPE"), QStringLiteral("EMPLOYEES"),
                                    QStringLiteral("TO TAG"), QStringLiteral("ALREADY")},
                                   rows),
                         false);
}

QString frmBulkMealTag::whom(int employees) const
{
    const BulkTagData::Selection& s = m_previewed;
    if (s.scope == BulkTagData::Scope::AllActive)
        return QStringLiteral("the %1 active employees").arg(employees);
    if (s.scope == BulkTagData::Scope::Department)
        return QStringLiteral("the %1 active %2 employees")
            .arg(employees)
            .arg(m_departmentNames.value(departmentKey(s.department), s.department));
    // The import's employees: named by their department when they share one.
    const QSet<QString> chosen(s.employees.cbegin(), s.employees.cend());
    QSet<QString> departments;
    for (const ImportOffer::Employee& employee : m_import.employees)
        if (chosen.contains(employee.number))
            departments.insert(departmentKey(employee.deptCode));
    if (departments.size() == 1 && !departments.begin()->isEmpty())
        return QStringLiteral("the %1 new %2 employees")
            .arg(employees)
            .arg(m_departmentNames.value(*departments.begin(), *departments.begin()));
    return QStringLiteral("the %1 new employees").arg(employees);
}

QString frmBulkMealTag::typeNames() const
{
    QStringList names;
    for (int row = 0; row < lstMealTypes->count(); ++row)
        if (m_previewed.mealTypes.contains(lstMealTypes->item(row)->data(Qt::UserRole).toString()))
            names << lstMealTypes->item(row)->text().section(QStringLiteral("  ("), 0, 0);
    return names.join(QStringLiteral(", "));
}
