#include "frmStaffImport.h"

#include "context/AppContext.h"
#include "context/WindowRegistry.h"
#include "settings/DeactivationConfirm.h"
#include "tagging/BulkTagData.h"
#include "tagging/frmBulkMealTag.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProgressDialog>
#include <QPushButton>

namespace {

constexpr int clientWidth = 10440;
constexpr int clientHeight = 8580;
constexpr int buttonWidth = 1150;
constexpr int buttonHeight = 375;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    QPushButton* widget = FormControls::button(parent, QLatin1String(name), caption);
    Twips::place(widget, left, top, buttonWidth, buttonHeight);
    return widget;
}

QLabel* label(QWidget* parent, const QString& name, const QString& caption, int left, int top,
              int width)
{
    QLabel* widget = FormControls::label(parent, name, caption);
    Twips::place(widget, left, top, width, 315);
    return widget;
}

QString name(const StaffMaster::Employee& e)
{
    return e.lastname + QStringLiteral(", ") + e.firstname + QLatin1Char(' ') + e.middlename;
}

// Counted as the changes log counts them: an employee set inactive is deactivated,
// whatever else of him changes.
qsizetype deactivating(const QList<StaffImportPlan::Row>& rows)
{
    return std::count_if(rows.cbegin(), rows.cend(),
                         [](const StaffImportPlan::Row& row) { return row.deactivates; });
}

} // namespace

frmStaffImport::frmStaffImport(AppContext& context)
    : ModalForm(context.modal()), m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmStaffImport"));
    setWindowTitle(QStringLiteral("Import Staff"));
}

void frmStaffImport::createControls(QWidget* surface)
{
    setClientSizeTwips(clientWidth, clientHeight);
    createFileRow(surface);
    createColumnBoxes(surface);
    createPreviewArea(surface);
    connectControls();
}

void frmStaffImport::createFileRow(QWidget* surface)
{
    label(surface, QStringLiteral("lblFile"), QStringLiteral("Personnel file (CSV):"), 120, 150,
          1800);
    txtFile = FormControls::textBox(surface, QStringLiteral("txtFile"));
    Twips::place(txtFile, 1950, 120, 5900, 375);
    cmdBrowse = button(surface, "cmdBrowse", QStringLiteral("Browse..."), 7950, 120);
    cmdRead = button(surface, "cmdRead", QStringLiteral("Read"), 9170, 120);
}

void frmStaffImport::createColumnBoxes(QWidget* surface)
{
    label(surface, QStringLiteral("lblColumns"),
          QStringLiteral("Columns of the file (choose where the names differ):"), 120, 600, 8000);
    for (int field = 0; field < StaffColumns::FieldCount; ++field) {
        const int left = field < 4 ? 120 : 5280;
        const int top = 960 + (field % 4) * 420;
        label(surface, FormControls::indexed("lblColumn", field),
              StaffColumns::label(StaffColumns::Field(field)) + QLatin1Char(':'), left, top + 30,
              1700);
        cboColumn[field] = FormControls::control<QComboBox>(
            surface, FormControls::indexed("cboColumn", field), left + 1750, top, 3200, 345);
    }
    lblFileInfo = label(surface, QStringLiteral("lblFileInfo"), QString(), 120, 2640, 10200);
    chkWholeList = FormControls::control<QCheckBox>(surface, QStringLiteral("chkWholeList"), 120,
                                                    2980, 8900, 315);
    chkWholeList->setText(QStringLiteral(
        "The file is the whole staff list (offer to deactivate employees missing from it)"));
    cmdPreview = button(surface, "cmdPreview", QStringLiteral("Preview"), 9170, 2940);
}

void frmStaffImport::createPreviewArea(QWidget* surface)
{
    lblSummary = label(surface, QStringLiteral("lblSummary"), QString(), 120, 3420, 10200);
    mshPreview = FormControls::control<FlexGrid>(surface, QStringLiteral("mshPreview"), 120, 3780,
                                                 10200, 3720);
    chkDeactivate = FormControls::control<QCheckBox>(surface, QStringLiteral("chkDeactivate"), 120,
                                                     7650, 7600, 315);
    cmdApply = button(surface, "cmdApply", QStringLiteral("Apply"), 7950, 7620);
    cmdClose = button(surface, "cmdClose", QStringLiteral("Close"), 9170, 7620);
    lblTagNew = label(surface, QStringLiteral("lblTagNew"), QString(), 120, 8100, 7700);
    cmdTagNew = FormControls::button(surface, QStringLiteral("cmdTagNew"),
                                     QStringLiteral("Tag New Employees..."));
    Twips::place(cmdTagNew, 7950, 8070, 2370, buttonHeight);
}

void frmStaffImport::connectControls()
{
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { browse(); });
    connect(cmdRead, &QPushButton::clicked, this, [this] { readFile(); });
    FormControls::onEnter(txtFile, [this] { readFile(); });
    connect(txtFile, &QLineEdit::textEdited, this, [this] {
        m_fileRead = false;
        invalidatePreview();
    });
    for (QComboBox* box : cboColumn)
        connect(box, &QComboBox::activated, this, [this] { invalidatePreview(); });
    connect(chkWholeList, &QCheckBox::toggled, this, [this] { invalidatePreview(); });
    connect(cmdPreview, &QPushButton::clicked, this,
            [this] { m_context.attempt([this] { preview(); }); });
    connect(cmdApply, &QPushButton::clicked, this,
            [this] { m_context.attempt([this] { apply(); }); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { unload(); });
    connect(cmdTagNew, &QPushButton::clicked, this, [this] { tagNewEmployees(); });
}

void frmStaffImport::Form_Load()
{
    m_fileRead = false;
    m_fileApplied = false;
    m_plan.reset();
    offerTagging();
    for (QComboBox* box : cboColumn)
        box->addItem(QStringLiteral("(none)"));
    chkWholeList->setChecked(true);
    layOutPreview();
    chkDeactivate->setText(QStringLiteral("Deactivate the active employees missing from the file"));
    invalidatePreview();
}

void frmStaffImport::browse()
{
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Personnel file"), txtFile->text(),
                                     QStringLiteral("CSV files (*.csv *.txt);;All files (*)"));
    if (file.isEmpty())
        return;
    txtFile->setText(file);
    readFile();
}

void frmStaffImport::readFile()
{
    m_fileRead = false;
    m_fileApplied = false;
    invalidatePreview();
    lblFileInfo->clear();
    QFile file(txtFile->text().trimmed());
    if (txtFile->text().trimmed().isEmpty() || !file.open(QIODevice::ReadOnly)) {
        m_context.messages().info(
            QStringLiteral("Cannot read the file \"%1\".").arg(txtFile->text().trimmed()));
        return;
    }
    m_csv.parse(file.readAll());
    const QStringList header = m_csv.header();
    if (header.isEmpty()) {
        m_context.messages().info(QStringLiteral("The file is empty: it has no header line."));
        return;
    }
    const StaffColumns guessed = StaffColumns::fromHeader(header);
    for (int field = 0; field < StaffColumns::FieldCount; ++field) {
        QComboBox* box = cboColumn[field];
        box->clear();
        box->addItem(QStringLiteral("(none)"));
        box->addItems(header);
        box->setCurrentIndex(guessed.column(StaffColumns::Field(field)) + 1);
    }
    lblFileInfo->setText(QStringLiteral("Read as %1, separated by \"%2\": %3 employee lines.")
                             .arg(m_csv.encoding() == CsvReader::Encoding::Utf8
                                      ? QStringLiteral("UTF-8")
                                      : QStringLiteral("Windows-1252"))
                             .arg(m_csv.separator())
                             .arg(m_csv.allRecords().size() - 1));
    m_fileRead = true;
}

StaffColumns frmStaffImport::chosenColumns() const
{
    StaffColumns columns;
    for (int field = 0; field < StaffColumns::FieldCount; ++field)
        columns.setColumn(StaffColumns::Field(field), cboColumn[field]->currentIndex() - 1);
    return columns;
}

void frmStaffImport::preview()
{
    invalidatePreview();
    if (!m_fileRead) {
        m_context.messages().info(QStringLiteral("Read a personnel file first."));
        return;
    }
    // A file with a header and nothing else would offer to deactivate everybody.
    if (m_csv.records().isEmpty()) {
        m_context.messages().info(QStringLiteral("The file has no employee lines."));
        return;
    }
    const StaffColumns columns = chosenColumns();
    if (!columns.mapped(StaffColumns::Number)) {
        m_context.messages().info(
            QStringLiteral("Choose the column that holds the employee number."));
        return;
    }
    m_master = m_data.readMaster();
    m_plan = std::make_unique<StaffImportPlan>(m_csv.records(), int(m_csv.header().size()), columns,
                                               m_master, chkWholeList->isChecked());
    showPlan();
}

void frmStaffImport::showPlan()
{
    const StaffImportPlan& plan = *m_plan;
    const qsizetype deactivated = deactivating(plan.changed());
    lblSummary->setText(QStringLiteral("New: %1    Changed: %2    Deactivated: %3    Unchanged: %4"
                                       "    Missing from the file: %5    Rejected lines: %6    New "
                                       "departments: %7")
                            .arg(plan.added().size())
                            .arg(plan.changed().size() - deactivated)
                            .arg(deactivated)
                            .arg(plan.unchanged())
                            .arg(plan.missing().size())
                            .arg(plan.rejected().size())
                            .arg(plan.newDepartments()));

    QList<Recordset::Row> rows;
    for (const StaffImportPlan::Rejected& r : plan.rejected())
        rows.append({QString::number(r.line), r.number, QStringLiteral("Rejected"), r.reason});
    for (const StaffImportPlan::Row& r : plan.added())
        rows.append({QString::number(r.line), r.employee.number, QStringLiteral("New"),
                     newcomerDetails(r)});
    for (const StaffImportPlan::Row& r : plan.changed())
        rows.append({QString::number(r.line), r.employee.number,
                     r.deactivates ? QStringLiteral("Deactivated") : QStringLiteral("Changed"),
                     name(r.employee) + QStringLiteral(" | ") +
                         r.changedFields.join(QStringLiteral("; "))});
    for (const StaffMaster::Employee& e : plan.missing())
        rows.append({QString(), e.number, QStringLiteral("Missing"), name(e)});
    layOutPreview();
    mshPreview->fill(Recordset({QStringLiteral("LINE"), QStringLiteral("EMPNUM"),
                                QStringLiteral("CHANGE"), QStringLiteral("DETAILS")},
                               rows),
                     false);
    // A change is read whole, with the old and the new value: the column grows to the
    // longest line, and the grid scrolls sideways instead of cutting it.
    int widest = 0;
    for (const Recordset::Row& row : rows)
        widest = std::max(widest, mshPreview->fontMetrics().horizontalAdvance(row.value(3)));
    const int needed = Twips::fromPixels(widest + 16);
    if (needed > mshPreview->ColWidth(4))
        mshPreview->setColWidth(4, needed);

    chkDeactivate->setText(
        QStringLiteral("Deactivate the %1 active employees missing from the file")
            .arg(plan.missing().size()));
    if (plan.unreadableLine() > 0 && !plan.missing().isEmpty())
        chkDeactivate->setText(
            QStringLiteral("Deactivation is not offered: line %1 of the file cannot be read")
                .arg(plan.unreadableLine()));
    chkDeactivate->setChecked(false);
    chkDeactivate->setEnabled(plan.offersDeactivation());
    cmdApply->setEnabled(true);
    showOffer();
}

QString frmStaffImport::newcomerDetails(const StaffImportPlan::Row& row) const
{
    QString details = name(row.employee);
    const QString code = row.employee.deptCode.trimmed();
    if (!code.isEmpty()) {
        const QString deptName =
            row.deptName.isEmpty() ? m_master.departmentName(code) : row.deptName;
        details += QStringLiteral(" | Department: ") + code;
        // The test seeds and some masters name a department by its code alone.
        if (!deptName.trimmed().isEmpty() && deptName.trimmed().compare(code, Qt::CaseInsensitive))
            details += QLatin1Char(' ') + deptName.trimmed();
    }
    if (row.employee.active == QLatin1String("0"))
        details += QStringLiteral(" | Inactive: cannot receive meals");
    return details;
}

void frmStaffImport::layOutPreview()
{
    mshPreview->layOut(QStringLiteral(" |>LINE |<EMPNUM |<CHANGE |<DETAILS"), 5,
                       {0, 700, 1300, 1000, 6900});
}

void frmStaffImport::invalidatePreview()
{
    m_plan.reset();
    // What is on screen belongs to the file, columns and choice it was made from.
    if (lblSummary)
        lblSummary->clear();
    if (mshPreview)
        layOutPreview();
    if (cmdApply)
        cmdApply->setEnabled(false);
    if (chkDeactivate) {
        chkDeactivate->setChecked(false);
        chkDeactivate->setEnabled(false);
    }
    if (lblTagNew)
        showOffer();
}

void frmStaffImport::apply()
{
    if (!m_plan)
        return;
    const QList<StaffImportPlan::Row> rows =
        m_plan->rowsToApply(chkDeactivate->isChecked() && m_plan->offersDeactivation());
    if (rows.isEmpty()) {
        // Rejected lines are not a match: the clerk must hear how many were left out.
        if (!m_plan->rejected().isEmpty())
            m_context.messages().info(
                QStringLiteral("Nothing was changed: %1 of the file %2 rejected.")
                    .arg(m_plan->rejected().size() == 1
                             ? QStringLiteral("1 line")
                             : QStringLiteral("%1 lines").arg(m_plan->rejected().size()),
                         m_plan->rejected().size() == 1 ? QStringLiteral("was")
                                                        : QStringLiteral("were")));
        else
            m_context.messages().info(QStringLiteral(
                "Nothing to change: the personnel master already matches the file."));
        return;
    }
    if (!m_plan->rejected().isEmpty() &&
        !m_context.messages().ask(
            QStringLiteral("%1 lines of the file were rejected and will be skipped. Apply the "
                           "other changes?")
                .arg(m_plan->rejected().size()),
            QStringLiteral("Confirmation")))
        return;
    const bool deactivate = chkDeactivate->isChecked() && m_plan->offersDeactivation();
    if (deactivate && !deactivationConfirmed())
        return;

    QProgressDialog progress(QStringLiteral("Importing staff..."), QStringLiteral("Cancel"), 0,
                             int(rows.size()), this);
    progress.setObjectName(QStringLiteral("dlgImportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const bool done = m_data.apply(
        rows,
        [&progress](int finished, int) {
            progress.setValue(finished);
            return !progress.wasCanceled();
        },
        QFileInfo(txtFile->text().trimmed()).fileName());
    progress.reset();
    if (!done) {
        m_context.messages().info(QStringLiteral("Import cancelled: nothing was changed."));
        return;
    }
    const qsizetype deactivated = deactivating(rows);
    m_context.messages().info(QStringLiteral("Done. %1 added, %2 changed, %3 deactivated.")
                                  .arg(m_plan->added().size())
                                  .arg(rows.size() - m_plan->added().size() - deactivated)
                                  .arg(deactivated));
    // The preview now shows the store as it stands after the import, beside its offer.
    m_fileApplied = true;
    preview();
    offerTagging();
}

bool frmStaffImport::deactivationConfirmed()
{
    const int count = int(m_plan->missing().size());
    const int active = m_plan->activeStaff();
    // More than a quarter of the staff is never one click away.
    if (count * 4 > active)
        return DeactivationConfirm::confirmed(m_context.modal(), count, active, this);
    // Deactivating cannot be undone by another import alone: Enter must not do it.
    return m_context.messages().askDefaultNo(
        QStringLiteral("Deactivate %1 of the %2 active employees? They can no longer receive "
                       "meals.")
            .arg(count)
            .arg(active),
        QStringLiteral("Confirmation"));
}

void frmStaffImport::offerTagging()
{
    // Read from the store: the last Apply's newcomers, or an earlier import's still untagged.
    m_offer = {};
    m_context.attempt([this] { m_offer = BulkTagData(m_context).lastImport(); });
    showOffer();
}

void frmStaffImport::showOffer()
{
    // The preview of a file not applied yet is never shown beside another import's offer.
    const bool shown = !m_offer.isEmpty() && (!m_plan || m_fileApplied);
    lblTagNew->setVisible(shown);
    cmdTagNew->setVisible(shown);
    if (!shown)
        return;
    QMap<QString, int> byDepartment;
    for (const ImportOffer::Employee& employee : m_offer.employees)
        ++byDepartment[employee.deptCode.trimmed().toUpper()];
    // Named by their department when they share one the window has read.
    const QString name =
        byDepartment.size() == 1 ? m_master.departmentName(byDepartment.firstKey()) : QString();
    const QString department = name.isEmpty() ? QString() : name + QLatin1Char(' ');
    lblTagNew->setText(QStringLiteral("Tag the %1 new %2employees of %3 with …")
                           .arg(m_offer.employees.size())
                           .arg(department, m_offer.origin()));
}

void frmStaffImport::tagNewEmployees()
{
    frmBulkMealTag::openChecked(m_context);
    // What the bulk tagging tagged is no longer offered here either.
    offerTagging();
}
