#include "frmAppSettings.h"

#include "context/AppContext.h"
#include "data/ColumnLengths.h"
#include "data/Connection.h"
#include "data/GeneralDate.h"
#include "settings/MealModeRow.h"
#include "widgets/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int clientWidth = 10800;
constexpr int clientHeight = 9300;

QGroupBox* group(QWidget* parent, const char* name, const QString& title, QLayout* layout)
{
    auto* box = FormControls::control<QGroupBox>(parent, QLatin1String(name));
    box->setTitle(title);
    box->setLayout(layout);
    return box;
}

QLabel* note(QWidget* parent, const char* name, const QString& text)
{
    QLabel* label = FormControls::label(parent, QLatin1String(name), text);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmAppSettings::frmAppSettings(AppContext& context)
    : ModalForm(context.modal()), m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmAppSettings"));
    setWindowTitle(QStringLiteral("App Settings"));
    // Leaving without Save is how changes are dropped.
    setClosesOnEscape(true);
}

frmAppSettings::~frmAppSettings() = default;

void frmAppSettings::createControls(QWidget* surface)
{
    // The lines of the last showing went with its controls.
    m_rows.clear();
    m_nextIndex = 0;
    setClientSizeTwips(clientWidth, clientHeight);
    auto* page = new QVBoxLayout(surface);
    page->addWidget(createMealModes(surface), 1);
    page->addWidget(createCounterSettings(surface));
    page->addWidget(createReportSettings(surface));
    page->addLayout(createButtons(surface));
}

QGroupBox* frmAppSettings::createMealModes(QWidget* surface)
{
    auto* layout = new QVBoxLayout;
    QGroupBox* frame = group(surface, "fraMealModes", QStringLiteral("Meal modes"), layout);
    layout->addWidget(note(frame, "lblLimitsNote",
                           QStringLiteral("Daily limit: the most meals of the mode one employee "
                                          "may receive a day; empty for no limit. Past it the "
                                          "clerk is warned, or the meal is refused. Serving "
                                          "times: the mode the counter chooses at that time.")));

    auto* lines = new QWidget;
    lines->setObjectName(QStringLiteral("modeLines"));
    // The lines keep their height; room left over stays below them.
    auto* linesLayout = new QVBoxLayout(lines);
    linesLayout->setContentsMargins(4, 4, 4, 4);
    m_modeGrid = new QGridLayout;
    m_modeGrid->setContentsMargins(0, 0, 0, 0);
    linesLayout->addLayout(m_modeGrid);
    linesLayout->addStretch(1);
    MealModeRow::addHeader(*m_modeGrid);

    scrMealModes = FormControls::control<QScrollArea>(frame, QStringLiteral("scrMealModes"));
    scrMealModes->setWidgetResizable(true);
    scrMealModes->setFrameShape(QFrame::NoFrame);
    scrMealModes->setWidget(lines);
    layout->addWidget(scrMealModes, 1);

    cmdAddMode =
        FormControls::button(frame, QStringLiteral("cmdAddMode"), QStringLiteral("&Add Mode"));
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(cmdAddMode);
    addRow->addStretch(1);
    layout->addLayout(addRow);
    connect(cmdAddMode, &QPushButton::clicked, this, [this] { addMode(); });
    return frame;
}

QGroupBox* frmAppSettings::createCounterSettings(QWidget* surface)
{
    auto* counterLayout = new QVBoxLayout;
    QGroupBox* counter = group(surface, "fraCounter", QStringLiteral("Counter"), counterLayout);
    chkScanMode = FormControls::control<QCheckBox>(counter, QStringLiteral("chkScanMode"));
    chkScanMode->setText(QStringLiteral("Scan mode: an employee number and Enter, as a badge "
                                        "reader types them, open meal entry at once"));
    counterLayout->addWidget(chkScanMode);
    chkKeyboardEntry =
        FormControls::control<QCheckBox>(counter, QStringLiteral("chkKeyboardEntry"));
    chkKeyboardEntry->setText(QStringLiteral("Keyboard order entry"));
    chkKeyboardEntry->setToolTip(
        QStringLiteral("Enter moves an order on from box to box, Alt+S saves and Alt+C "
                       "cancels, Enter and the arrow keys choose on the lists"));
    counterLayout->addWidget(chkKeyboardEntry);
    chkBulkTagging = FormControls::control<QCheckBox>(counter, QStringLiteral("chkBulkTagging"));
    chkBulkTagging->setText(QStringLiteral("Bulk tagging in the tagging window"));
    counterLayout->addWidget(chkBulkTagging);
    chkKeepServingOffline =
        FormControls::control<QCheckBox>(counter, QStringLiteral("chkKeepServingOffline"));
    chkKeepServingOffline->setText(
        QStringLiteral("Keep serving when the server cannot be reached"));
    chkKeepServingOffline->setToolTip(
        QStringLiteral("An order whose save loses the link to the server is sent again and "
                       "stored once"));
    counterLayout->addWidget(chkKeepServingOffline);
    chkFittedColumns =
        FormControls::control<QCheckBox>(counter, QStringLiteral("chkFittedColumns"));
    chkFittedColumns->setText(QStringLiteral("Fit list columns to their contents"));
    chkFittedColumns->setToolTip(
        QStringLiteral("Every list's columns are as wide as their headings at least, and the "
                       "last one fills the list"));
    counterLayout->addWidget(chkFittedColumns);
    auto* timeoutRow = new QHBoxLayout;
    auto* timeoutLabel =
        new QLabel(QStringLiteral("Give up on a statement after (seconds):"), counter);
    spnStatementTimeout =
        FormControls::control<QSpinBox>(counter, QStringLiteral("spnStatementTimeout"));
    spnStatementTimeout->setRange(1, AppSettings::kMaxStatementTimeout);
    spnStatementTimeout->setToolTip(
        QStringLiteral("A statement with no answer by then (the server busy or holding a lock) "
                       "stops, the error is shown and nothing of it is kept; reports and "
                       "imports wait ten times as long"));
    timeoutLabel->setBuddy(spnStatementTimeout);
    timeoutRow->addWidget(timeoutLabel);
    timeoutRow->addWidget(spnStatementTimeout);
    timeoutRow->addStretch(1);
    counterLayout->addLayout(timeoutRow);
    return counter;
}

QGroupBox* frmAppSettings::createReportSettings(QWidget* surface)
{
    auto* reportsLayout = new QGridLayout;
    QGroupBox* reports = group(surface, "fraReports", QStringLiteral("Reports"), reportsLayout);
    QLabel* dayLabel = FormControls::label(reports, QStringLiteral("lblFirstDay"),
                                           QStringLiteral("&First day of the week:"));
    cboFirstDay = FormControls::control<QComboBox>(reports, QStringLiteral("cboFirstDay"));
    const char* days[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                          "Friday", "Saturday", "Sunday"};
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        cboFirstDay->addItem(QLatin1String(days[day - 1]), day);
    dayLabel->setBuddy(cboFirstDay);
    QLabel* siteLabel = FormControls::label(reports, QStringLiteral("lblSiteName"),
                                            QStringLiteral("Site &name on reports:"));
    txtSiteName = FormControls::textBox(reports, QStringLiteral("txtSiteName"));
    txtSiteName->setMaxLength(ColumnLengths::Description);
    siteLabel->setBuddy(txtSiteName);
    chkClosedThrough =
        FormControls::control<QCheckBox>(reports, QStringLiteral("chkClosedThrough"));
    chkClosedThrough->setText(QStringLiteral("Meals &closed through:"));
    chkClosedThrough->setToolTip(
        QStringLiteral("The meals on or before this day were sent to payroll: they can be "
                       "neither recorded nor revoked"));
    dtpClosedThrough =
        FormControls::control<QDateEdit>(reports, QStringLiteral("dtpClosedThrough"));
    dtpClosedThrough->setCalendarPopup(true);
    // The day as the program writes days, with the whole year.
    dtpClosedThrough->setDisplayFormat(GeneralDate::dayFormat());
    dtpClosedThrough->setEnabled(false);
    connect(chkClosedThrough, &QCheckBox::toggled, dtpClosedThrough, &QWidget::setEnabled);
    reportsLayout->addWidget(dayLabel, 0, 0);
    reportsLayout->addWidget(cboFirstDay, 0, 1);
    reportsLayout->addWidget(siteLabel, 1, 0);
    reportsLayout->addWidget(txtSiteName, 1, 1, 1, 2);
    reportsLayout->addWidget(chkClosedThrough, 2, 0);
    reportsLayout->addWidget(dtpClosedThrough, 2, 1);
    reportsLayout->setColumnStretch(2, 1);
    return reports;
}

QHBoxLayout* frmAppSettings::createButtons(QWidget* surface)
{
    auto* row = new QHBoxLayout;
    lblStatus = FormControls::label(surface, QStringLiteral("lblStatus"), QString());
    lblStatus->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblStatus->setWordWrap(true);
    cmdSave = FormControls::button(surface, QStringLiteral("cmdSave"), QStringLiteral("&Save"));
    cmdCancel =
        FormControls::button(surface, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    row->addWidget(lblStatus, 1);
    row->addWidget(cmdSave);
    row->addWidget(cmdCancel);
    connect(cmdSave, &QPushButton::clicked, this,
            [this] { m_context.attempt([this] { save(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    return row;
}

void frmAppSettings::Form_Load()
{
    QString hospital;
    const bool read = m_context.attempt([&] {
        showSettings(m_data.load());
        hospital =
            AppSettingsData::hospitalName(m_context.open(AppSettingsData::hospitalNameText()));
    });
    txtSiteName->setPlaceholderText(hospital);
    if (!read) {
        // Saving what was not read would overwrite the site's settings with guesses.
        showSettings(AppSettings::defaults());
        cmdSave->setEnabled(false);
        lblStatus->setText(QStringLiteral("The settings could not be read: nothing can be saved."));
    }
    if (!m_rows.empty())
        m_rows.front()->firstField()->setFocus();
}

void frmAppSettings::showSettings(const AppSettings& settings)
{
    for (auto& row : m_rows)
        row->removeControls();
    m_rows.clear();
    // The listed modes are always there; any other is the site's own, which it may remove.
    const AppSettings listed = AppSettings::defaults();
    for (const MealModeSetting& mode : settings.mealModes)
        addRow(mode, listed.mode(mode.mealMode) == nullptr);
    chkScanMode->setChecked(settings.scanMode);
    chkKeyboardEntry->setChecked(settings.keyboardEntry);
    chkBulkTagging->setChecked(settings.bulkTagging);
    chkKeepServingOffline->setChecked(settings.keepServingOffline);
    chkFittedColumns->setChecked(settings.fittedColumns);
    spnStatementTimeout->setValue(settings.statementTimeout);
    cboFirstDay->setCurrentIndex(cboFirstDay->findData(int(settings.firstDayOfWeek)));
    txtSiteName->setText(settings.siteName);
    m_closedAsRead = settings.closedThrough;
    chkClosedThrough->setChecked(settings.closedThrough.isValid());
    // Unticked, the box offers the end of last month, the day most often closed.
    const QDate lastMonthEnd =
        m_context.dtServerDate.date().addDays(-m_context.dtServerDate.date().day());
    dtpClosedThrough->setDate(settings.closedThrough.isValid() ? settings.closedThrough
                                                               : lastMonthEnd);
}

void frmAppSettings::addRow(const MealModeSetting& setting, bool added)
{
    auto row = std::make_unique<MealModeRow>(*m_modeGrid, m_nextIndex++, setting, added);
    if (QPushButton* remove = row->removeButton())
        connect(remove, &QPushButton::clicked, this,
                [this, line = row.get()] { removeMode(line); });
    m_rows.push_back(std::move(row));
    orderTabs();
}

void frmAppSettings::orderTabs()
{
    // The lines are made after the controls below them; Tab still goes down the window.
    QList<QWidget*> order;
    for (const auto& row : m_rows)
        order += row->tabOrder();
    order += {cmdAddMode,
              chkScanMode,
              chkKeyboardEntry,
              chkBulkTagging,
              chkKeepServingOffline,
              chkFittedColumns,
              spnStatementTimeout,
              cboFirstDay,
              txtSiteName,
              chkClosedThrough,
              dtpClosedThrough,
              cmdSave,
              cmdCancel};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void frmAppSettings::addMode()
{
    MealModeSetting setting;
    addRow(setting, true);
    QWidget* name = m_rows.back()->firstField();
    name->setFocus();
    // Once the new line is laid out, bring it into view.
    QTimer::singleShot(0, scrMealModes,
                       [area = scrMealModes, name] { area->ensureWidgetVisible(name); });
}

void frmAppSettings::removeMode(MealModeRow* row)
{
    for (auto it = m_rows.begin(); it != m_rows.end(); ++it) {
        if (it->get() == row) {
            row->removeControls();
            m_rows.erase(it);
            orderTabs();
            break;
        }
    }
    cmdAddMode->setFocus();
}

std::optional<AppSettings> frmAppSettings::readSettings()
{
    AppSettings settings;
    QWidget* firstFault = nullptr;
    QStringList names;
    for (auto& row : m_rows) {
        const std::optional<MealModeSetting> mode = row->read();
        if (mode && names.contains(mode->mealMode, Qt::CaseInsensitive))
            row->refuseName(
                QStringLiteral("There is already a meal mode called %1.").arg(mode->mealMode));
        else if (mode && !refuseOverlap(*row, *mode, settings.mealModes))
            settings.mealModes.append(*mode);
        if (!firstFault)
            firstFault = row->firstMarked();
        names.append(row->name());
    }
    if (firstFault) {
        lblStatus->setText(QStringLiteral("Some values are not right: see the marked fields."));
        firstFault->setFocus();
        scrMealModes->ensureWidgetVisible(firstFault);
        return std::nullopt;
    }
    lblStatus->clear();
    settings.scanMode = chkScanMode->isChecked();
    settings.keyboardEntry = chkKeyboardEntry->isChecked();
    settings.bulkTagging = chkBulkTagging->isChecked();
    settings.keepServingOffline = chkKeepServingOffline->isChecked();
    settings.fittedColumns = chkFittedColumns->isChecked();
    settings.statementTimeout = spnStatementTimeout->value();
    settings.firstDayOfWeek = Qt::DayOfWeek(cboFirstDay->currentData().toInt());
    settings.siteName = txtSiteName->text().trimmed();
    settings.closedThrough = chkClosedThrough->isChecked() ? dtpClosedThrough->date() : QDate();
    return settings;
}

bool frmAppSettings::refuseOverlap(MealModeRow& row, const MealModeSetting& mode,
                                   const QList<MealModeSetting>& before)
{
    for (const MealModeSetting& earlier : before) {
        if (!AppSettings::servingOverlaps(earlier, mode))
            continue;
        row.refuseServingTimes(
            QStringLiteral("The serving times overlap those of %1 (%2 to %3): the counter "
                           "could not tell which mode is served then.")
                .arg(earlier.mealMode, earlier.serveFrom.toString(QStringLiteral("HH:mm")),
                     earlier.serveTo.toString(QStringLiteral("HH:mm"))));
        return true;
    }
    return false;
}

void frmAppSettings::save()
{
    const std::optional<AppSettings> settings = readSettings();
    if (!settings)
        return;
    // The closed day is sent only when changed, with the other settings or not at all.
    if (settings->closedThrough == m_closedAsRead)
        m_data.save(*settings);
    else
        m_context.transaction([this, &settings] {
            m_data.save(*settings);
            m_data.closeThrough(settings->closedThrough);
        });
    // This workstation's counter obeys at once; the others at a search within a minute.
    if (m_context.cnMain)
        m_context.cnMain->setStatementTimeout(settings->statementTimeout);
    m_context.settingsSaved(*settings);
    unload();
}
