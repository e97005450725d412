#include "mdiTALO.h"

#include "StatusAction.h"
#include "access/frmAccess.h"
#include "access/frmUsers.h"
#include "context/AppContext.h"
#include "context/GlobalLookups.h"
#include "context/Rights.h"
#include "context/WindowRegistry.h"
#include "counter/frmEmployeeList.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "history/frmDistributedMeals.h"
#include "masters/frmMealBuildFile.h"
#include "masters/frmMealTypeBuildFile.h"
#include "reports/frmMealDistributionReport.h"
#include "settings/AppSettingsData.h"
#include "settings/frmAppSettings.h"
#include "settings/frmStaffImport.h"
#include "tagging/frmEmployeeMealTag.h"
#include "user/UserObject.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace {
// Panel widths in twips, left to right.
constexpr std::array<int, 7> kPanelWidths{2000, 200, 3000, 200, 2000, 200, 2000};

// Takes a registry-owned window back out of its sub-window, so deleting the frame does
// not delete the window.
void release(QMdiSubWindow* subWindow, QWidget* child)
{
    if (!child)
        return;
    subWindow->setWidget(nullptr);
    child->hide();
    child->setParent(nullptr);
}
} // namespace

mdiTALO::mdiTALO(AppContext& context, std::function<std::unique_ptr<UserObject>()> createUserObject,
                 QWidget* parent)
    : QMainWindow(parent), m_context(context), m_createUserObject(std::move(createUserObject))
{
    setObjectName(QStringLiteral("mdiTALO"));
    setWindowTitle(QStringLiteral("Talodesk"));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_mdiArea);
    resize(Twips::toPixels(15360), Twips::toPixels(11520));
    createMenus();
    createStatusBar();
    m_context.popupInquiryMenu = [this](const QPoint& globalPos) { mnuInquiry->popup(globalPos); };
    m_context.showStatusNote = [this](const QString& text) {
        stbNote->setText(text);
        stbNote->setToolTip(text);
    };
    m_statusAction = new StatusAction(stbInfo, mnuFile);
    m_context.showStatusAction = [this](const QString& text, const std::function<void()>& action) {
        m_statusAction->show(text, action);
    };
    // Panel 5 shows the server's clock as last read: the counter reads it again before
    // each search and save.
    m_context.serverDateChanged = [this](const QDateTime& serverDate) {
        m_panels[4]->setText(GeneralDate::toText(serverDate));
    };
}

mdiTALO::~mdiTALO()
{
    m_context.popupInquiryMenu = nullptr;
    m_context.serverDateChanged = nullptr;
    m_context.showStatusNote = nullptr;
    m_context.showStatusAction = nullptr;
    // The meal counter and the history belong to the window registry, not to their
    // sub-windows here.
    release(m_employeeListWindow, m_employeeList);
    release(m_historyWindow, m_history);
    if (m_context.objUser == m_user.get()) {
        m_context.objUser = nullptr;
        m_context.cnMain = nullptr;
    }
}

bool mdiTALO::Form_Load()
{
    m_user = m_createUserObject();
    m_context.objUser = m_user.get();
    m_user->setPasswordDeptCode(QStringLiteral("TALO"));
    m_user->sethwndParentForm(this);
    m_user->ShowMain();
    // A null answer counts as not signed in.
    const QVariant connected = m_user->Connected();
    if (!connected.isValid() || connected.isNull() || !connected.toBool())
        return false;

    m_context.cnMain = m_user->SQLConnection();
    // No statement of the program waits for ever; the site's own time counts once the
    // counter has read the settings.
    if (m_context.cnMain)
        m_context.cnMain->setStatementTimeout(Connection::DefaultStatementTimeout);
    // Without the server's clock the zero date stands; the program goes on.
    m_context.attempt([this] { LoadServerDate(m_context); });
    SetMenuRights();
    m_panels[2]->setText(QStringLiteral("USER NAME: ") + m_user->EmployeeName());
    m_panels[4]->setText(GeneralDate::toText(m_context.dtServerDate));
    m_panels[6]->setText(m_user->ServerName());
    showEmployeeList();
    return true;
}

void mdiTALO::SetMenuRights()
{
    // A check that fails leaves its item disabled; a lost connection would fail every
    // check, so the error is shown only once.
    bool errorShown = false;
    const auto setByRight = [&](QAction* item, Rights::Right right) {
        bool granted = false;
        try {
            granted = Rights::held(m_context, right);
        } catch (const DbError& error) {
            if (!errorShown)
                m_context.messages().error(error);
            errorShown = true;
        }
        item->setEnabled(granted);
    };
    using Rights::Right;
    setByRight(mnuReports->menuAction(), Right::Reports);
    setByRight(mnuEmployeeMeal, Right::Tagging);
    setByRight(mnuTagEmployeeMeal, Right::Tagging);
    setByRight(mnuMeals, Right::Meals);
    setByRight(mnuMealType, Right::MealTypes);
    setByRight(mnuAccess, Right::UserAccess);
    setByRight(mnuAppSettings, Right::AppSettings);
    // The two windows of the staff and sign-in registers need the rights of their
    // neighbours: no further check is sent.
    mnuUsers->setEnabled(mnuAccess->isEnabled());
    mnuImportStaff->setEnabled(mnuAppSettings->isEnabled());
}

void mdiTALO::showEmployeeList()
{
    frmEmployeeList& list = m_context.windows().get<frmEmployeeList>();
    m_employeeList = &list;
    // Closing the sub-window only hides it: the counter's instance lives on in the
    // window registry.
    m_employeeListWindow = new QMdiSubWindow;
    m_employeeListWindow->setObjectName(QStringLiteral("frmEmployeeListWindow"));
    m_employeeListWindow->setWidget(&list);
    m_mdiArea->addSubWindow(m_employeeListWindow);
    m_context.attempt([&list] { list.Form_Load(); });
    showCounterWindow();
}

void mdiTALO::showCounterWindow()
{
    // The counter comes up at its designed client area; the clerk may still maximize it.
    m_employeeListWindow->showNormal();
    // The frame is the sub-window's margins (its border and title bar). Its size before
    // the first layout says nothing: on a real screen it is still the default size there,
    // smaller than the form inside it.
    const QSize designed(Twips::toPixels(14670), Twips::toPixels(8880));
    const QMargins frame = m_employeeListWindow->contentsMargins();
    m_employeeListWindow->resize(designed.grownBy(frame));
}

void mdiTALO::closeEvent(QCloseEvent* event)
{
    auto* list = static_cast<frmEmployeeList*>(m_employeeList.data());
    if (list && list->isVisible() && !list->mayClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void mdiTALO::mnuDistributedMeals_Click()
{
    frmDistributedMeals& history = m_context.windows().get<frmDistributedMeals>();
    if (!m_historyWindow) {
        // Closing the sub-window only hides it; the next opening starts afresh.
        m_history = &history;
        m_historyWindow = new QMdiSubWindow;
        m_historyWindow->setObjectName(QStringLiteral("frmDistributedMealsWindow"));
        m_historyWindow->setWidget(&history);
        m_mdiArea->addSubWindow(m_historyWindow);
    }
    if (!m_historyWindow->isVisible()) {
        // Its close box hid the history itself as well.
        history.show();
        history.Form_Load();
    }
    m_historyWindow->showMaximized();
    m_mdiArea->setActiveSubWindow(m_historyWindow);
}

void mdiTALO::mnuEmployeeList_Click()
{
    if (!m_employeeListWindow)
        return;
    if (m_employeeListWindow->isHidden()) {
        // Closed by its close box: it comes back as a newly opened window would.
        // The close box closed the counter itself too, which leaves it hidden inside its
        // sub-window: shown again, or the sub-window comes back empty.
        auto* list = static_cast<frmEmployeeList*>(m_employeeList.data());
        list->show();
        m_context.attempt([list] { list->Form_Load(); });
        showCounterWindow();
    } else if (m_employeeListWindow->isMinimized()) {
        showCounterWindow();
    }
    m_mdiArea->setActiveSubWindow(m_employeeListWindow);
}

void mdiTALO::mnuEmployeeMeal_Click()
{
    m_context.attempt([this] {
        frmEmployeeMealTag& window = m_context.windows().get<frmEmployeeMealTag>();
        window.strMode = frmEmployeeMealTag::ModeFromSettings;
        window.showModal();
    });
}

void mdiTALO::mnuTagEmployeeMeal_Click()
{
    m_context.attempt([this] {
        frmEmployeeMealTag& window = m_context.windows().get<frmEmployeeMealTag>();
        window.strMode = frmEmployeeMealTag::ModeFromCounter;
        window.showModal();
    });
}

void mdiTALO::mnuMeals_Click()
{
    m_context.attempt([this] { m_context.windows().get<frmMealBuildFile>().showModal(); });
}

void mdiTALO::mnuMealType_Click()
{
    m_context.attempt([this] { m_context.windows().get<frmMealTypeBuildFile>().showModal(); });
}

void mdiTALO::mnuAccess_Click()
{
    m_context.attempt([this] { m_context.windows().get<frmAccess>().showModal(); });
}

void mdiTALO::mnuUsers_Click()
{
    m_context.attempt([this] { m_context.windows().get<frmUsers>().showModal(); });
}

void mdiTALO::mnuAppSettings_Click()
{
    m_context.attempt([this] { m_context.windows().get<frmAppSettings>().showModal(); });
}

void mdiTALO::mnuImportStaff_Click()
{
    m_context.attempt([this] { m_context.windows().get<frmStaffImport>().showModal(); });
}

void mdiTALO::createMenus()
{
    QMenuBar* bar = menuBar();

    mnuFile = addMenu(nullptr, "mnuFile", QStringLiteral("File"));
    mnuEmployeeList = addItem(mnuFile, "mnuEmployeeList", QStringLiteral("Employee List"));
    mnuDistributedMeals =
        addItem(mnuFile, "mnuDistributedMeals", QStringLiteral("Distributed Meals"));
    m_quit = new QAction(this);
    m_quit->setObjectName(QStringLiteral("actQuit"));
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    addAction(m_quit);

    mnuReports = addMenu(nullptr, "mnuReports", QStringLiteral("Reports"));
    mnuMealDistributionReport = addMenu(mnuReports, "mnuMealDistributionReport",
                                        QStringLiteral("Meal Distribution Report"));
    mnuDistributionDaily =
        addItem(mnuMealDistributionReport, "mnuDistributionDaily", QStringLiteral("Daily"));
    mnuDistributionWeekly =
        addItem(mnuMealDistributionReport, "mnuDistributionWeekly", QStringLiteral("Weekly"));
    mnuDistributionMonthly =
        addItem(mnuMealDistributionReport, "mnuDistributionMonthly", QStringLiteral("Monthly"));
    mnuDistributionDateRange = addItem(mnuMealDistributionReport, "mnuDistributionDateRange",
                                       QStringLiteral("By Date Range"));
    mnuDistributionMealType = addItem(mnuMealDistributionReport, "mnuDistributionMealType",
                                      QStringLiteral("Per Meal Type"));
    mnuDistributionMeal =
        addItem(mnuMealDistributionReport, "mnuDistributionMeal", QStringLiteral("Per Meal"));
    mnuDistributionMealTime = addItem(mnuMealDistributionReport, "mnuDistributionMealTime",
                                      QStringLiteral("Per Meal Time"));
    mnuDistributionMealType->setVisible(false);
    mnuDistributionMeal->setVisible(false);
    mnuDistributionMealTime->setVisible(false);

    mnuSettings = addMenu(nullptr, "mnuSettings", QStringLiteral("Settings"));
    mnuEmployeeMeal = addItem(mnuSettings, "mnuEmployeeMeal", QStringLiteral("Tag Employee Meal"));
    mnuMeals = addItem(mnuSettings, "mnuMeals", QStringLiteral("Meals"));
    mnuMealType = addItem(mnuSettings, "mnuMealType", QStringLiteral("Meal Type"));
    mnuAccess = addItem(mnuSettings, "mnuAccess", QStringLiteral("User Access"));
    mnuUsers = addItem(mnuSettings, "mnuUsers", QStringLiteral("Users"));
    mnuAppSettings = addItem(mnuSettings, "mnuAppSettings", QStringLiteral("App Settings"));
    mnuImportStaff = addItem(mnuSettings, "mnuImportStaff", QStringLiteral("Import Staff…"));

    // Not in the menu bar: the meal counter pops it up over its employee list.
    mnuInquiry = new QMenu(QStringLiteral("Inquiry"), this);
    mnuInquiry->setObjectName(QStringLiteral("mnuInquiry"));
    mnuInquiry->menuAction()->setObjectName(QStringLiteral("mnuInquiry"));
    mnuTagEmployeeMeal =
        addItem(mnuInquiry, "mnuTagEmployeeMeal", QStringLiteral("Tag Employee Meal"));

    bar->addMenu(mnuFile);
    bar->addMenu(mnuReports);
    bar->addMenu(mnuSettings);

    connect(mnuDistributedMeals, &QAction::triggered, this, &mdiTALO::mnuDistributedMeals_Click);
    connect(mnuEmployeeList, &QAction::triggered, this, &mdiTALO::mnuEmployeeList_Click);
    connect(m_quit, &QAction::triggered, this, [this] {
        // The key ends the program only where the site chose keyboard order entry; the
        // settings are read at the press, so a change in App Settings holds at once.
        bool keys = false;
        m_context.attempt([&] { keys = AppSettingsData(m_context).load().keyboardEntry; });
        if (keys)
            close();
    });
    connect(mnuEmployeeMeal, &QAction::triggered, this, &mdiTALO::mnuEmployeeMeal_Click);
    connect(mnuTagEmployeeMeal, &QAction::triggered, this, &mdiTALO::mnuTagEmployeeMeal_Click);
    connect(mnuMeals, &QAction::triggered, this, &mdiTALO::mnuMeals_Click);
    connect(mnuMealType, &QAction::triggered, this, &mdiTALO::mnuMealType_Click);
    connect(mnuAccess, &QAction::triggered, this, &mdiTALO::mnuAccess_Click);
    connect(mnuUsers, &QAction::triggered, this, &mdiTALO::mnuUsers_Click);
    connect(mnuAppSettings, &QAction::triggered, this, &mdiTALO::mnuAppSettings_Click);
    connect(mnuImportStaff, &QAction::triggered, this, &mdiTALO::mnuImportStaff_Click);
    const std::pair<QAction*, ReportPeriod::Kind> reports[] = {
        {mnuDistributionDaily, ReportPeriod::Kind::Daily},
        {mnuDistributionWeekly, ReportPeriod::Kind::Weekly},
        {mnuDistributionMonthly, ReportPeriod::Kind::Monthly},
        {mnuDistributionDateRange, ReportPeriod::Kind::DateRange}};
    for (const auto& [item, kind] : reports)
        connect(item, &QAction::triggered, this,
                [this, kind = kind] { openMealDistributionReport(int(kind)); });
}

void mdiTALO::openMealDistributionReport(int kind)
{
    const QDate today = m_context.today();
    // The week starts on the site's first day (Monday when the settings cannot be read).
    Qt::DayOfWeek firstDay = Qt::Monday;
    m_context.attempt([&] { firstDay = AppSettingsData(m_context).load().firstDayOfWeek; });
    auto* report =
        new frmMealDistributionReport(m_context, ReportPeriod::Kind(kind), today, firstDay);
    auto* window = new QMdiSubWindow;
    window->setObjectName(QStringLiteral("frmMealDistributionReportWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWidget(report);
    m_mdiArea->addSubWindow(window);
    window->resize(m_mdiArea->size() * 0.9);
    window->show();
    m_mdiArea->setActiveSubWindow(window);
}

QMenu* mdiTALO::addMenu(QMenu* parent, const char* name, const QString& caption)
{
    QMenu* menu = parent ? parent->addMenu(caption) : new QMenu(caption, this);
    menu->setObjectName(QString::fromLatin1(name));
    // The menu's own action carries its enabled state in the menu above it.
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* mdiTALO::addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

void mdiTALO::createStatusBar()
{
    stbInfo = new QStatusBar(this);
    stbInfo->setObjectName(QStringLiteral("stbInfo"));
    stbInfo->setSizeGripEnabled(false);
    QFont font(QStringLiteral("Britannic Bold"));
    stbInfo->setFont(font);
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        auto* panel =
            FormControls::control<QLabel>(stbInfo, FormControls::indexed("stbInfo", int(i) + 1));
        // The designed width at least; a longer text (a long name, a wider font) widens
        // the panel instead of being cut off.
        panel->setMinimumWidth(Twips::toPixels(kPanelWidths[i]));
        stbInfo->addWidget(panel);
        m_panels[i] = panel;
    }
    stbNote = FormControls::control<QLabel>(stbInfo, QStringLiteral("stbNote"));
    stbInfo->addWidget(stbNote, 1);
    m_panels[0]->setText(QStringLiteral("Powered by Ferromont"));
    m_panels[0]->setToolTip(QStringLiteral("Powered by Ferromont"));
    setStatusBar(stbInfo);
}
