#include "frmMealDistributionReport.h"

#include "ReportChart.h"
#include "ReportCsv.h"
#include "ReportDocument.h"
#include "ReportTableModel.h"
#include "ReportXlsx.h"
#include "context/AppContext.h"
#include "context/Rights.h"
#include "data/BackgroundReader.h"
#include "data/Connection.h"
#include "data/GeneralDate.h"
#include "settings/AppSettingsData.h"
#include "user/UserObject.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/ModalRunner.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const char* const PeriodNames[] = {"Daily", "Weekly", "Monthly", "By Date Range"};
// Lines measured for the columns' widths: enough to fit a long report's text without
// measuring each of its lines.
constexpr int MeasuredRows = 500;

} // namespace

frmMealDistributionReport::frmMealDistributionReport(AppContext& context, ReportPeriod::Kind kind,
                                                     QDate day, Qt::DayOfWeek firstDayOfWeek)
    : m_context(context), m_firstDayOfWeek(firstDayOfWeek), m_day(day)
{
    setObjectName(QStringLiteral("frmMealDistributionReport"));
    createControls();
    chooseFile = [this](const QString& filter) {
        // "CSV files (*.csv)" -> "csv"
        const QString extension = filter.section(QStringLiteral("*."), 1).section(')', 0, 0);
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save Report"),
                                            suggestedFileName(extension), filter);
    };
    openReader = [user = &m_context.objUser]() -> std::unique_ptr<Connection> {
        Connection* main = *user ? (*user)->SQLConnection() : nullptr;
        return main ? main->openReader() : nullptr;
    };
    {
        const QSignalBlocker quiet(cboPeriod);
        cboPeriod->setCurrentIndex(int(kind));
    }
    dtpFrom->setDate(day);
    dtpTo->setDate(day);
    cboPeriod_Changed();
    cboLayout_Changed();
}

frmMealDistributionReport::~frmMealDistributionReport() = default;

void frmMealDistributionReport::createControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* settings = new QGridLayout;
    layout->addLayout(settings);

    cboPeriod = FormControls::control<QComboBox>(this, QStringLiteral("cboPeriod"));
    for (const char* name : PeriodNames)
        cboPeriod->addItem(QString::fromLatin1(name));
    dtpFrom = FormControls::control<QDateEdit>(this, QStringLiteral("dtpFrom"));
    dtpTo = FormControls::control<QDateEdit>(this, QStringLiteral("dtpTo"));
    for (QDateEdit* box : {dtpFrom, dtpTo}) {
        box->setCalendarPopup(true);
        box->setDisplayFormat(GeneralDate::dayFormat());
    }
    cboLayout = FormControls::control<QComboBox>(this, QStringLiteral("cboLayout"));
    cboLayout->addItem(QStringLiteral("Summary"), int(ReportRequest::Layout::Summary));
    cboLayout->addItem(QStringLiteral("Payroll"), int(ReportRequest::Layout::Payroll));
    cboLayout->addItem(QStringLiteral("Revoked meals"), int(ReportRequest::Layout::Revoked));
    cboGroup1 = FormControls::control<QComboBox>(this, QStringLiteral("cboGroup1"));
    cboGroup2 = FormControls::control<QComboBox>(this, QStringLiteral("cboGroup2"));
    cboGroup2->addItem(QStringLiteral("(none)"), QString());
    for (const ReportGrouping& grouping : ReportGroupings) {
        cboGroup1->addItem(QString::fromLatin1(grouping.caption),
                           QString::fromLatin1(grouping.key));
        cboGroup2->addItem(QString::fromLatin1(grouping.caption),
                           QString::fromLatin1(grouping.key));
    }
    cmdRun = FormControls::control<QPushButton>(this, QStringLiteral("cmdRun"));
    cmdRun->setText(QStringLiteral("&Run"));
    cmdPreview = FormControls::control<QPushButton>(this, QStringLiteral("cmdPreview"));
    cmdPreview->setText(QStringLiteral("Print Pre&view"));
    cmdPdf = FormControls::control<QPushButton>(this, QStringLiteral("cmdPdf"));
    cmdPdf->setText(QStringLiteral("&PDF"));
    cmdCsv = FormControls::control<QPushButton>(this, QStringLiteral("cmdCsv"));
    cmdCsv->setText(QStringLiteral("&CSV"));
    cmdXlsx = FormControls::control<QPushButton>(this, QStringLiteral("cmdXlsx"));
    cmdXlsx->setText(QStringLiteral("E&xcel"));
    cmdCancel = FormControls::control<QPushButton>(this, QStringLiteral("cmdCancel"));
    cmdCancel->setText(QStringLiteral("Cancel"));
    prgReport = FormControls::control<QProgressBar>(this, QStringLiteral("prgReport"));
    // One statement gives no measure of its progress: the bar only says it runs.
    prgReport->setRange(0, 0);
    prgReport->setTextVisible(false);
    lblStatus = FormControls::control<QLabel>(this, QStringLiteral("lblStatus"));

    settings->addWidget(new QLabel(QStringLiteral("Period"), this), 0, 0);
    settings->addWidget(cboPeriod, 0, 1);
    settings->addWidget(new QLabel(QStringLiteral("From"), this), 0, 2);
    settings->addWidget(dtpFrom, 0, 3);
    settings->addWidget(new QLabel(QStringLiteral("To"), this), 0, 4);
    settings->addWidget(dtpTo, 0, 5);
    auto* running = new QHBoxLayout;
    running->addWidget(cmdRun);
    running->addWidget(cmdCancel);
    running->addWidget(prgReport, 1);
    running->addWidget(lblStatus, 2);
    settings->addLayout(running, 0, 6);
    settings->addWidget(new QLabel(QStringLiteral("Layout"), this), 1, 0);
    settings->addWidget(cboLayout, 1, 1);
    settings->addWidget(new QLabel(QStringLiteral("Group by"), this), 1, 2);
    settings->addWidget(cboGroup1, 1, 3);
    settings->addWidget(new QLabel(QStringLiteral("then by"), this), 1, 4);
    settings->addWidget(cboGroup2, 1, 5);
    auto* outputs = new QHBoxLayout;
    outputs->addWidget(cmdPreview);
    outputs->addWidget(cmdPdf);
    outputs->addWidget(cmdCsv);
    outputs->addWidget(cmdXlsx);
    settings->addLayout(outputs, 1, 6);
    settings->setColumnStretch(7, 1);

    lblHospital = FormControls::control<QLabel>(this, QStringLiteral("lblHospital"));
    lblTitle = FormControls::control<QLabel>(this, QStringLiteral("lblTitle"));
    lblPeriod = FormControls::control<QLabel>(this, QStringLiteral("lblPeriod"));
    lblPrinted = FormControls::control<QLabel>(this, QStringLiteral("lblPrinted"));
    QFont big = lblHospital->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    lblHospital->setFont(big);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    for (QLabel* label : {lblHospital, lblTitle, lblPeriod, lblPrinted}) {
        label->setAlignment(Qt::AlignHCenter);
        layout->addWidget(label);
    }

    grdReport = FormControls::control<QTableView>(this, QStringLiteral("grdReport"));
    m_model = new ReportTableModel(grdReport);
    grdReport->setModel(m_model);
    grdReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdReport->verticalHeader()->hide();
    layout->addWidget(grdReport, 3);
    grdReport->viewport()->installEventFilter(this);
    chtReport = new ReportChart(this);
    layout->addWidget(chtReport, 1);

    connect(cboPeriod, &QComboBox::currentIndexChanged, this,
            &frmMealDistributionReport::cboPeriod_Changed);
    connect(dtpFrom, &QDateEdit::dateChanged, this, &frmMealDistributionReport::dtpFrom_Changed);
    connect(cboLayout, &QComboBox::currentIndexChanged, this,
            &frmMealDistributionReport::cboLayout_Changed);
    connect(cmdRun, &QPushButton::clicked, this, &frmMealDistributionReport::cmdRun_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMealDistributionReport::cmdCancel_Click);
    setRunning(false);
    connect(cmdPreview, &QPushButton::clicked, this, &frmMealDistributionReport::cmdPreview_Click);
    connect(cmdPdf, &QPushButton::clicked, this, &frmMealDistributionReport::cmdPdf_Click);
    connect(cmdCsv, &QPushButton::clicked, this, &frmMealDistributionReport::cmdCsv_Click);
    connect(cmdXlsx, &QPushButton::clicked, this, &frmMealDistributionReport::cmdXlsx_Click);
}

void frmMealDistributionReport::cboPeriod_Changed()
{
    const auto kind = ReportPeriod::Kind(cboPeriod->currentIndex());
    setWindowTitle(QStringLiteral("Meal Distribution Report - ") + cboPeriod->currentText());
    const bool range = kind == ReportPeriod::Kind::DateRange;
    dtpTo->setEnabled(range);
    if (range)
        return;
    // A preset period follows the day chosen (in the menu or in "From"), not the first
    // day of the period shown before: Weekly then Daily shows that day again.
    const ReportPeriod period = ReportPeriod::holding(kind, m_day, m_firstDayOfWeek);
    const QSignalBlocker quiet(dtpFrom);
    dtpFrom->setDate(period.from());
    dtpTo->setDate(period.to());
}

void frmMealDistributionReport::dtpFrom_Changed()
{
    // Only a date the user picks arrives here: the presets set From with signals blocked.
    m_day = dtpFrom->date();
    cboPeriod_Changed();
}

void frmMealDistributionReport::cboLayout_Changed()
{
    const bool summary = request().layout == ReportRequest::Layout::Summary;
    cboGroup1->setEnabled(summary);
    cboGroup2->setEnabled(summary);
}

ReportRequest frmMealDistributionReport::request() const
{
    ReportRequest request;
    request.period = ReportPeriod(dtpFrom->date(), dtpTo->date());
    request.layout = ReportRequest::Layout(cboLayout->currentData().toInt());
    request.group1 = cboGroup1->currentData().toString();
    request.group2 = cboGroup2->currentData().toString();
    return request;
}

bool frmMealDistributionReport::isRunning() const
{
    return m_reader && m_reader->isRunning();
}

void frmMealDistributionReport::setRunning(bool running)
{
    cmdRun->setEnabled(!running);
    cmdCancel->setEnabled(running);
    cmdCancel->setVisible(running);
    prgReport->setVisible(running);
    for (QPushButton* output : {cmdPreview, cmdPdf, cmdCsv, cmdXlsx})
        output->setEnabled(!running);
    if (running)
        lblStatus->setText(QStringLiteral("Running the report..."));
}

void frmMealDistributionReport::cmdRun_Click()
{
    if (isRunning())
        return;
    if (!m_reader)
        m_reader = std::make_unique<BackgroundReader>(openReader);
    ReportRequest wanted = request();
    // Filled on the report's thread, read here once it has finished. The table's lines
    // are built there too: a payroll month has 100,000 of them.
    auto table = std::make_shared<ReportTable>();
    auto hospital = std::make_shared<QString>();
    setRunning(true);
    m_reader->start(
        [wanted, table, hospital](Connection& connection) mutable {
            if (wanted.layout == ReportRequest::Layout::Summary && wanted.groupsBy("MEALTIME"))
                wanted.mealModeOrder = ReportData::mealModeOrder(connection);
            *table = ReportTable(wanted, ReportData::rows(connection, wanted));
            *hospital = ReportData::siteName(connection);
        },
        [this, wanted, table, hospital](const BackgroundReader::Outcome& outcome) {
            setRunning(false);
            lblStatus->clear();
            if (outcome.error) {
                m_context.messages().error(*outcome.error);
                return;
            }
            showReport(wanted, *table, *hospital);
        });
}

void frmMealDistributionReport::cmdCancel_Click()
{
    if (!isRunning())
        return;
    m_reader->cancel();
    setRunning(false);
    lblStatus->setText(QStringLiteral("Report cancelled."));
}

void frmMealDistributionReport::showReport(const ReportRequest& wanted, const ReportTable& table,
                                           const QString& hospital)
{
    ReportHeader header;
    header.hospital = hospital;
    header.title = ReportTable::title(wanted.layout);
    if (wanted.layout == ReportRequest::Layout::Summary) {
        QString by = cboGroup1->currentText();
        if (!wanted.group2.isEmpty())
            by += QStringLiteral(" and ") + cboGroup2->currentText();
        header.title += QStringLiteral(" by ") + by;
    }
    header.period = wanted.period.text();
    header.printedBy = m_context.objUser ? m_context.objUser->EmployeeName() : QString();
    if (header.printedBy.trimmed().isEmpty() && m_context.objUser)
        header.printedBy = m_context.objUser->EmployeeCode();
    header.printedAt = QDateTime::currentDateTime();
    m_header = header;
    m_shown = wanted;
    m_table = table;
    m_hasReport = true;
    showTable();
}

void frmMealDistributionReport::showTable()
{
    lblHospital->setText(m_header.hospital);
    lblTitle->setText(m_header.title);
    lblPeriod->setText(m_header.period);
    lblPrinted->setText(m_header.printedLine());
    m_model->setTable(m_table);
    measureColumns();
    fitColumns();
    chtReport->showTable(m_table);
}

void frmMealDistributionReport::measureColumns()
{
    m_textWidths.clear();
    const QList<int> rows = m_model->sampleRows(MeasuredRows);
    // The grid's lines take a pixel of each column.
    const int grid = grdReport->showGrid() ? 1 : 0;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int width = grdReport->horizontalHeader()->sectionSizeHint(c);
        for (int r : rows)
            width = qMax(width, grdReport->sizeHintForIndex(m_model->index(r, c)).width() + grid);
        m_textWidths << width;
    }
}

void frmMealDistributionReport::fitColumns()
{
    // Each column as wide as its text; the room left over in the window's width goes to
    // the text columns, so the table fills the window without cutting anything.
    QList<int> widen;
    int used = 0;
    for (int c = 0; c < m_textWidths.size(); ++c) {
        grdReport->setColumnWidth(c, m_textWidths.at(c));
        used += m_textWidths.at(c);
        if (!m_table.numberColumns().contains(c))
            widen << c;
    }
    const int spare = grdReport->viewport()->width() - used;
    if (spare <= 0 || widen.isEmpty())
        return;
    for (int i = 0; i < widen.size(); ++i) {
        const int share = spare / int(widen.size()) + (i < spare % widen.size() ? 1 : 0);
        grdReport->setColumnWidth(widen.at(i), m_textWidths.at(widen.at(i)) + share);
    }
}

bool frmMealDistributionReport::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grdReport->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QWidget::eventFilter(watched, event);
}

void frmMealDistributionReport::cmdPreview_Click()
{
    if (!m_hasReport) {
        m_context.messages().info(QStringLiteral("Run the report first."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_header.title);
    QPrintPreviewDialog preview(&printer, this);
    const ReportDocument document(m_header, m_table);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&document](QPrinter* target) { document.print(*target); });
    m_context.modal().runModal(preview);
}

void frmMealDistributionReport::cmdPdf_Click()
{
    if (!m_hasReport) {
        m_context.messages().info(QStringLiteral("Run the report first."));
        return;
    }
    const QString path = chooseFile ? chooseFile(QStringLiteral("PDF files (*.pdf)")) : QString();
    if (path.isEmpty())
        return;
    if (!ReportDocument(m_header, m_table).writePdf(path)) {
        m_context.messages().info(QStringLiteral("Could not write ") + path + QStringLiteral("."));
        return;
    }
    saved(path);
}

void frmMealDistributionReport::cmdCsv_Click()
{
    if (!m_hasReport) {
        m_context.messages().info(QStringLiteral("Run the report first."));
        return;
    }
    const QString path = chooseFile ? chooseFile(QStringLiteral("CSV files (*.csv)")) : QString();
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !ReportCsv::write(file, m_table)) {
        m_context.messages().info(QStringLiteral("Could not write ") + path + QStringLiteral(": ") +
                                  file.errorString());
        return;
    }
    file.close();
    saved(path);
    m_context.attempt([this] { offerToClose(); });
}

void frmMealDistributionReport::cmdXlsx_Click()
{
    if (!m_hasReport) {
        m_context.messages().info(QStringLiteral("Run the report first."));
        return;
    }
    const QString path =
        chooseFile ? chooseFile(QStringLiteral("Excel workbooks (*.xlsx)")) : QString();
    if (path.isEmpty())
        return;
    QString error;
    if (!ReportXlsx::write(path, m_header, m_table, error)) {
        m_context.messages().info(QStringLiteral("Could not write ") + path + QStringLiteral(": ") +
                                  error);
        return;
    }
    saved(path);
    m_context.attempt([this] { offerToClose(); });
}

void frmMealDistributionReport::saved(const QString& path)
{
    m_context.messages().info(QStringLiteral("Saved the report to ") + path + QStringLiteral("."));
}

void frmMealDistributionReport::offerToClose()
{
    // Payroll's file (CSV or workbook) is out: whoever may change App Settings is offered
    // to close its period, so no meal of it is recorded or revoked after it was sent.
    const QDate last = m_shown.period.to();
    // A period not over yet is not closed: the counter would refuse today's meals.
    if (m_shown.layout != ReportRequest::Layout::Payroll || last >= m_context.dtServerDate.date() ||
        !Rights::held(m_context, Rights::Right::AppSettings))
        return;
    AppSettingsData data(m_context);
    const QDate closed = data.load().closedThrough;
    if (closed.isValid() && closed >= last)
        return;
    const QString through = GeneralDate::toText(QDateTime(last, QTime(0, 0)));
    if (!m_context.messages().askDefaultNo(
            QStringLiteral("Close the meals through %1? Then no meal on or before that day can "
                           "be recorded or revoked.")
                .arg(through),
            QStringLiteral("Confirmation")))
        return;
    data.closeThrough(last);
    m_context.messages().info(QStringLiteral("The meals through %1 are closed.").arg(through));
}

QString frmMealDistributionReport::suggestedFileName(const QString& extension) const
{
    const ReportRequest& shown = m_hasReport ? m_shown : request();
    QString name;
    switch (shown.layout) {
    case ReportRequest::Layout::Payroll:
        name = QStringLiteral("meal-deductions");
        break;
    case ReportRequest::Layout::Revoked:
        name = QStringLiteral("revoked-meals");
        break;
    case ReportRequest::Layout::Summary:
        name = QStringLiteral("meal-distribution");
        break;
    }
    const QString iso = QStringLiteral("yyyy-MM-dd");
    name += QLatin1Char('-') + shown.period.from().toString(iso);
    if (shown.period.to() != shown.period.from())
        name += QStringLiteral("-to-") + shown.period.to().toString(iso);
    return name + QLatin1Char('.') + extension;
}
