#include "frmEmployeeList.h"

#include "CounterRules.h"
#include "MealRevoke.h"
#include "context/AppContext.h"
#include "context/Rights.h"
#include "context/WindowRegistry.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "frmRefusedOrders.h"
#include "lookup/frmSearcher.h"
#include "tagging/frmEmployeeMealTag.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

// The employee list's columns as the search answers them (column 0 is the row header):
// the number, the name, and the day searched for (passed on to the meals received).
enum EmployeeColumn
{
    EmpNumColumn = 1,
    EmpNameColumn = 2,
    EmpCol3Column = 3
};
// The meals received list's columns holding a meal's remarks and transaction number.
constexpr int RemarksColumn = 4;
constexpr int TransNumColumn = 6;

} // namespace

using enum EmployeeListLayout::MealEntryButton;
using enum EmployeeListLayout::MealListGrid;
using enum EmployeeListLayout::MealEntryBox;

frmEmployeeList::frmEmployeeList(AppContext& context)
    : m_context(context), m_data(context), m_ui(*this)
{
    connectControls();
    connectKeyboard();
    // After the keys above, so a badge's Enter is seen before it starts a lookup.
    m_badgeWatch = new BadgeScanWatch(
        this, [this] { return m_data.settings().scanMode && m_ui.fraCounter->isEnabled(); },
        [this](const QString& number) { serveBadgeDuringOrder(number); });
    for (QWidget* control : m_ui.fraCounter->findChildren<QWidget*>())
        // A combo box's own text box reaches it through the combo box.
        if (control->focusPolicy() != Qt::NoFocus && !control->focusProxy())
            m_badgeWatch->watch(control);
    m_order = std::make_unique<OrderList>(*m_ui.mshMealList[OrderGrid]);
    m_replayer = new BackgroundLink(this);
    connect(m_replayer, &BackgroundLink::finished, this, [this](int waiting) {
        if (waiting >= 0)
            m_data.serverAnswered();
        showWaitingOrders();
    });
    m_replayTimer = new QTimer(this);
    m_replayTimer->setObjectName(QStringLiteral("tmrReplay"));
    m_replayTimer->setInterval(ReplaySeconds * 1000);
    connect(m_replayTimer, &QTimer::timeout, this, &frmEmployeeList::replayInBackground);
    m_copier = new BackgroundLink(this);
    connect(m_copier, &BackgroundLink::finished, this, [this](int result) {
        if (result >= 0)
            m_data.serverAnswered();
    });
    m_copyTimer = new QTimer(this);
    m_copyTimer->setObjectName(QStringLiteral("tmrCopy"));
    m_copyTimer->setInterval(CopyMinutes * 60 * 1000);
    connect(m_copyTimer, &QTimer::timeout, this, &frmEmployeeList::refreshCopy);
    applySettings();
    m_context.onSettingsSaved(this, [this](const AppSettings& settings) { useSettings(settings); });
}

void frmEmployeeList::connectControls()
{
    // Enter searches; every other key just edits the text.
    FormControls::onEnter(m_ui.txtEmployeeDetails, [this] { cmdSearch_Click(); });
    connect(m_ui.cmdSearch, &QPushButton::clicked, this, &frmEmployeeList::cmdSearch_Click);

    FlexGrid* list = m_ui.mshEmpList;
    connect(list, &FlexGrid::Click, this, &frmEmployeeList::mshEmpList_Click);
    connect(list, &FlexGrid::DblClick, this, &frmEmployeeList::mshEmpList_DblClick);
    connect(list, &FlexGrid::RightButtonDown, this, &frmEmployeeList::mshEmpList_RightButtonDown);

    for (int i = 0; i < int(m_ui.cmdMealEntry.size()); ++i)
        connect(m_ui.cmdMealEntry[i], &QPushButton::clicked, this,
                [this, i] { cmdMealEntry_Click(i); });
    for (int i = 0; i < int(m_ui.mshMealList.size()); ++i) {
        connect(m_ui.mshMealList[i], &FlexGrid::Click, this, [this, i] { mshMealList_Click(i); });
        connect(m_ui.mshMealList[i], &FlexGrid::DblClick, this,
                [this, i] { mshMealList_DblClick(i); });
    }
}

void frmEmployeeList::connectKeyboard()
{
    // Description -> meal lookup -> meal mode -> remarks -> Add, then the next meal; only
    // where the site chose keyboard order entry. Otherwise the boxes only take typing.
    FormControls::onEnter(m_ui.txtMealEntry[MealDescription], [this] {
        if (keyboardEntry())
            lookUpMeal();
    });
    const auto toRemarks = [this] {
        if (keyboardEntry())
            m_ui.txtMealEntry[Remarks]->setFocus();
    };
    FormControls::onEnter(m_ui.cmdMealMode, toRemarks);
    connect(m_ui.cmdMealMode, &QComboBox::activated, this, toRemarks);
    FormControls::onEnter(m_ui.txtMealEntry[Remarks], [this] {
        if (keyboardEntry())
            cmdMealEntry_Click(Add);
    });
}

void frmEmployeeList::Form_Load()
{
    m_ui.txtEmployeeDetails->clear();
    // A counter opened again may meet settings changed meanwhile, and asks the server
    // first whatever it met before.
    m_data.expireSettings();
    m_data.serverAnswered();
    m_context.attempt([this] { LoadEmployeeList(); });
    // Orders served while the server could not be reached go to it first thing.
    if (m_data.settings().keepServingOffline) {
        m_context.attempt([this] { m_data.replayJournal(); });
        showWaitingOrders();
        refreshCopy();
    }
    // Browse mode whether or not the first search reached the server.
    ResetCounter();
    // A badge reader types where the focus is: in scan mode that is the search box.
    if (m_data.settings().scanMode)
        m_ui.txtEmployeeDetails->setFocus();
}

// --- Handlers ---------------------------------------------------------------------------

void frmEmployeeList::cmdSearch_Click()
{
    m_context.attempt([this] {
        LoadEmployeeList();
        openScannedEmployee();
    });
}

void frmEmployeeList::mshEmpList_Click()
{
    m_ui.mshEmpList->selectWholeRow();
    m_context.attempt([this] { LoadDistributedMeals(); });
}

void frmEmployeeList::mshEmpList_DblClick()
{
    m_context.attempt([this] { chooseEmployee(); });
}

void frmEmployeeList::mshEmpList_RightButtonDown(const QPoint& globalPos)
{
    handOverToTagging(globalPos);
}

void frmEmployeeList::cmdMealEntry_Click(int index)
{
    switch (index) {
    case Save:
        if (saveOrder())
            readyForNextEmployee();
        break;
    case Cancel:
        ResetCounter();
        m_ui.txtEmployeeDetails->setFocus();
        readyForNextEmployee();
        break;
    case Add:
        // By keys the next line follows in the meal box.
        if (AddMealToOrder() && keyboardEntry())
            m_ui.txtMealEntry[MealDescription]->setFocus();
        break;
    case Remove:
        mshMealList_DblClick(OrderGrid);
        break;
    case MealSearch:
        lookUpMeal();
        break;
    default:
        break;
    }
}

void frmEmployeeList::mshMealList_Click(int index)
{
    m_ui.mshMealList[index]->selectWholeRow();
}

void frmEmployeeList::mshMealList_DblClick(int index)
{
    if (index == OrderGrid) {
        m_order->removeCurrent();
        return;
    }
    const bool keep = m_data.settings().keepServingOffline;
    const FlexGrid* received = m_ui.mshMealList[ReceivedGrid];
    if (keep && !received->TextMatrix(received->Row(), 1).isEmpty() &&
        received->TextMatrix(received->Row(), TransNumColumn).isEmpty() &&
        received->TextMatrix(received->Row(), RemarksColumn)
            .startsWith(CounterData::waitingRemark(QString()))) {
        revokeNeedsServer(true);
        return;
    }
    m_context.attempt([this, keep] {
        try {
            if (!Rights::heldOrRefused(m_context, Rights::Right::Revoke))
                return;
            // Answered No, nothing changed: the order typed so far stays as it is.
            if (!RevokeDistributedMeal())
                return;
        } catch (const DbError& error) {
            if (!keep || !error.isUnavailable())
                throw;
            revokeNeedsServer(false);
            return;
        }
        // The counter is refreshed for the same employee: the received meals are read
        // again and the order starts afresh.
        chooseEmployee();
    });
}

// --- Procedures -------------------------------------------------------------------------

void frmEmployeeList::LoadEmployeeList()
{
    searchEmployees(m_ui.txtEmployeeDetails->text());
}

void frmEmployeeList::searchEmployees(const QString& text)
{
    m_lastSearchText = text;
    m_scanNote.clear();
    m_ui.mshEmpList->layOut(QString(), 2, {0, 1000, 3500, 2400, 1900});
    try {
        m_ui.mshEmpList->fillFrom([this, &text] { return m_data.loadEmployees(text); }, true);
    } catch (...) {
        // The settings may have been read before the search failed.
        applySettings();
        throw;
    }
    applySettings();
}

void frmEmployeeList::ResetCounter()
{
    for (QPushButton* button : m_ui.cmdMealEntry)
        button->setEnabled(false);
    for (QLineEdit* box : m_ui.txtMealEntry) {
        box->setEnabled(false);
        box->setText(QString());
    }
    for (FlexGrid* grid : m_ui.mshMealList)
        grid->Clear();
    m_ui.fraCounter->setEnabled(false);
    m_ui.fraSearch->setEnabled(true);
    m_ui.fraList->setEnabled(true);
    clearMealMode();
    showChosenEmployee(QString(), QString());
}

void frmEmployeeList::EnableMealEntry()
{
    for (QPushButton* button : m_ui.cmdMealEntry)
        button->setEnabled(true);
    for (QLineEdit* box : m_ui.txtMealEntry)
        box->setEnabled(true);
    m_ui.fraCounter->setEnabled(true);
    m_ui.fraSearch->setEnabled(false);
    m_ui.fraList->setEnabled(false);
    m_order->initialise();
}

bool frmEmployeeList::LoadDistributedMeals()
{
    if (m_data.dayChangedSinceSearch() && !refreshListForNewDay()) {
        m_ui.mshMealList[ReceivedGrid]->Clear();
        return false;
    }
    strEmpNum = m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNumColumn);
    strEmpCol3 = m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpCol3Column);

    FlexGrid* grid = m_ui.mshMealList[ReceivedGrid];
    grid->layOut(
        QStringLiteral(" |<MEAL |<DESCRIPTION |<TIME |<REMARKS |<CLERKID |<TRANSNUM |<MEALMODE"), 5,
        {0, 0, 3000, 1000, 2000, 750, 0, 0});
    grid->fillFrom([this] { return m_data.loadDistributedMeals(strEmpNum, strEmpCol3); }, false);
    return true;
}

CounterData::Outcome frmEmployeeList::SaveDistributedMeals()
{
    return m_data.saveOrder(strEmpNum, m_order->lines(),
                            m_data.settings().keepServingOffline ? m_order->key() : QString());
}

void frmEmployeeList::showWaitingOrders()
{
    showRefusedOrders();
    if (m_data.settings().keepServingOffline)
        showStatusNote();
}

void frmEmployeeList::showRefusedOrders()
{
    int refused = 0;
    if (m_data.settings().keepServingOffline) {
        try {
            refused = m_data.refusedOrders();
        } catch (const DbError&) {
            // A journal that cannot be read now is read again after the next replay.
            return;
        }
    }
    if (refused == 0 && !m_refusedShown)
        return;
    m_refusedShown = refused > 0;
    const QPointer<frmEmployeeList> counter(this);
    m_context.statusAction(refused == 0 ? QString()
                           : refused == 1
                               ? QStringLiteral("1 refused order: settle…")
                               : QStringLiteral("%1 refused orders: settle…").arg(refused),
                           [counter] {
                               if (counter)
                                   counter->settleRefusedOrders();
                           });
}

void frmEmployeeList::settleRefusedOrders()
{
    frmRefusedOrders& window = m_context.windows().get<frmRefusedOrders>();
    window.strJournalPath = m_data.journalPath();
    window.showModal();
    showRefusedOrders();
}

void frmEmployeeList::replayInBackground()
{
    if (!m_data.settings().keepServingOffline || !m_context.cnMain || m_replayer->running())
        return;
    try {
        if (m_data.waitingOrders() == 0)
            return;
    } catch (const DbError&) {
        // A journal that cannot be read now is tried at the next tick.
        return;
    }
    const QString path = m_data.journalPath();
    m_replayer->start(*m_context.cnMain, m_data.settings().statementTimeout,
                      [path](Connection& own) {
                          OrderJournal journal(path);
                          return CounterData::replay(own, journal, path);
                      });
}

void frmEmployeeList::refreshCopy()
{
    if (!m_data.settings().keepServingOffline || !m_context.cnMain || m_copier->running())
        return;
    const QString path = m_data.copyPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QDateTime now = m_data.serverNow();
    const QString clerk = m_context.userCode();
    m_copier->start(*m_context.cnMain, m_data.settings().statementTimeout,
                    [path, now, clerk](Connection& own) {
                        OfflineCopy::refresh(own, path, now, clerk);
                        return 0;
                    });
}

void frmEmployeeList::revokeNeedsServer(bool stillWaiting)
{
    m_context.messages().info(
        stillWaiting ? QStringLiteral("This meal is still waiting to be sent to the server. It can "
                                      "be revoked once the server has stored it. Nothing was "
                                      "changed.")
                     : QStringLiteral("Revoking a meal needs the server, which cannot be reached "
                                      "just now. Nothing was changed."));
}

bool frmEmployeeList::RevokeDistributedMeal()
{
    const FlexGrid* grid = m_ui.mshMealList[ReceivedGrid];
    return MealRevoke(m_context).confirmAndRevoke(strEmpNum,
                                                  grid->TextMatrix(grid->Row(), TransNumColumn));
}

bool frmEmployeeList::saveOrder()
{
    bool saved = false;
    m_context.attempt([this, &saved] {
        // The blank row of an empty order is not a meal: nothing is sent for it.
        if (m_order->lines().isEmpty()) {
            m_context.messages().info(QStringLiteral("The order list is empty."));
            return;
        }
        if (!clerkAcceptsLimits(m_order->lines()))
            return;
        const CounterData::Outcome outcome = SaveDistributedMeals();
        ResetCounter();
        showWaitingOrders();
        m_context.messages().info(outcome == CounterData::Outcome::Journaled
                                      ? QStringLiteral("Saved (offline)")
                                      : QStringLiteral("Saved!"));
        saved = true;
    });
    return saved;
}

void frmEmployeeList::serveBadgeDuringOrder(const QString& number)
{
    if (!m_order->lines().isEmpty()) {
        const QString name =
            m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNameColumn).trimmed();
        if (m_context.messages().ask(CounterRules::saveBeforeBadgeQuestion(name, number),
                                     QStringLiteral("Confirmation"))) {
            if (!saveOrder())
                return;
        } else if (!m_context.messages().askDefaultNo(
                       CounterRules::dropBeforeBadgeQuestion(name, number),
                       QStringLiteral("Confirmation"))) {
            return;
        }
    }
    ResetCounter();
    m_ui.txtEmployeeDetails->setText(number);
    cmdSearch_Click();
}

bool frmEmployeeList::AddMealToOrder()
{
    OrderLine line{m_ui.txtMealEntry[MealCode]->text(), m_ui.txtMealEntry[MealDescription]->text(),
                   m_ui.cmdMealMode->currentText(), m_ui.txtMealEntry[Remarks]->text()};
    if (line.mealCode.isEmpty() || line.mealMode.isEmpty()) {
        m_context.messages().info(QStringLiteral("Please complete detatils."));
        return false;
    }
    if (!acceptMealMode(line.mealMode))
        return false;
    if (const int row = m_order->findMeal(line.mealCode)) {
        m_context.messages().info(QStringLiteral("Meal ") + m_order->description(row) +
                                  QStringLiteral(" already on the List."));
        ClearMealEntry();
        return false;
    }
    m_order->append(line);
    ClearMealEntry();
    // By keys the next line is most often of the same mode.
    if (keyboardEntry())
        m_ui.cmdMealMode->setEditText(line.mealMode);
    return true;
}

bool frmEmployeeList::acceptMealMode(QString& typed)
{
    const CounterRules::ModeCheck check = CounterRules::checkMealMode(m_data.settings(), typed);
    if (!check.accepted) {
        m_context.messages().info(check.refusal);
        // By keys the clerk mends the mode at once.
        if (keyboardEntry()) {
            m_ui.cmdMealMode->setFocus();
            m_ui.cmdMealMode->lineEdit()->selectAll();
        }
        return false;
    }
    typed = check.mode;
    return true;
}

void frmEmployeeList::readyForNextEmployee()
{
    if (m_data.settings().scanMode) {
        // The next badge's number replaces the last one instead of being appended to it.
        m_ui.txtEmployeeDetails->clear();
        m_ui.txtEmployeeDetails->setFocus();
    } else if (keyboardEntry()) {
        m_ui.txtEmployeeDetails->setFocus();
    }
}

void frmEmployeeList::ClearMealEntry()
{
    for (QLineEdit* box : m_ui.txtMealEntry)
        box->setText(QString());
    clearMealMode();
}

void frmEmployeeList::clearMealMode()
{
    // No item stays current either, so picking the same mode again fills the text.
    m_ui.cmdMealMode->setCurrentIndex(-1);
    m_ui.cmdMealMode->setEditText(QString());
}

void frmEmployeeList::lookUpMeal()
{
    frmSearcher& searcher = m_context.windows().get<frmSearcher>();
    searcher.strMode = frmSearcher::ModeAllowedMeals;
    searcher.strSearchText = m_ui.txtMealEntry[MealDescription]->text();
    searcher.strEmpNumSearch = strEmpNum;
    searcher.setKeyboardChoice(keyboardEntry());
    searcher.offlineMeals = [this](const QString& empNum, const QString& text,
                                   const DbError& unreached) {
        return m_data.allowedMealsOffline(empNum, text, unreached);
    };
    searcher.showModal();
    // A lookup closed without a choice hands back empty values, which empty the boxes.
    m_ui.txtMealEntry[MealCode]->setText(searcher.strCode);
    m_ui.txtMealEntry[MealDescription]->setText(searcher.strDescription);
    // By keys, after a choice the clerk goes on with the meal mode.
    if (keyboardEntry() && !searcher.strCode.isEmpty()) {
        m_ui.cmdMealMode->setFocus();
        // A mode chosen for the clerk is replaced by what is typed, not added to.
        m_ui.cmdMealMode->lineEdit()->selectAll();
    }
}

bool frmEmployeeList::refreshListForNewDay()
{
    const QString empNum = m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNumColumn);
    searchEmployees(m_lastSearchText);
    for (int row = 1; row < m_ui.mshEmpList->Rows(); ++row) {
        if (m_ui.mshEmpList->TextMatrix(row, EmpNumColumn) == empNum) {
            m_ui.mshEmpList->setRow(row);
            m_ui.mshEmpList->selectWholeRow();
            return true;
        }
    }
    // Never another employee in the clicked one's place.
    return false;
}

void frmEmployeeList::chooseEmployee()
{
    m_ui.mshEmpList->selectWholeRow();
    if (!m_data.mayServe()) {
        Rights::refuse(m_context);
        return;
    }
    EnableMealEntry();
    if (!LoadDistributedMeals()) {
        ResetCounter();
        return;
    }
    showChosenEmployee(strEmpNum,
                       m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNameColumn));
    preselectMealMode();
    if (keyboardEntry())
        m_ui.txtMealEntry[MealDescription]->setFocus();
}

void frmEmployeeList::useSettings(const AppSettings& settings)
{
    m_data.useSettings(settings);
    applySettings();
}

void frmEmployeeList::applySettings()
{
    showMealModes();
    showRefusedOrders();
    if (!m_data.settings().keepServingOffline) {
        m_replayTimer->stop();
        m_copyTimer->stop();
    } else if (!m_replayTimer->isActive()) {
        m_replayTimer->start();
        m_copyTimer->start();
        refreshCopy();
    }
    const bool keys = keyboardEntry();
    // Alt+S and Alt+C, underlined on the buttons, belong to keyboard order entry.
    m_ui.cmdMealEntry[Save]->setText(keys ? QStringLiteral("&Save") : QStringLiteral("Save"));
    m_ui.cmdMealEntry[Cancel]->setText(keys ? QStringLiteral("&Cancel") : QStringLiteral("Cancel"));
    m_ui.mshEmpList->setChoosesByKeyboard(keys);
    // The counter is open from sign-in on and reads the site's settings every minute: the
    // lists of every window follow its reading.
    FlexGrid::setFittedColumns(m_data.settings().fittedColumns);
    showStatusNote();
}

void frmEmployeeList::showStatusNote()
{
    const QString copy = m_data.copyNote();
    QString waiting;
    if (m_data.settings().keepServingOffline) {
        const int count = m_data.waitingOrders();
        waiting = count == 0   ? QString()
                  : count == 1 ? QStringLiteral("1 order waiting to be sent")
                               : QStringLiteral("%1 orders waiting to be sent").arg(count);
        // "Offline:" is said once, by the copy's note when there is one.
        if (!waiting.isEmpty() && copy.isEmpty())
            waiting.prepend(QStringLiteral("Offline: "));
    }
    m_context.statusNote(
        CounterRules::statusNote({copy, m_scanNote, m_data.settingsFault(), waiting}));
}

bool frmEmployeeList::mayClose()
{
    if (!m_ui.fraCounter->isEnabled() || m_order->lines().isEmpty())
        return true;
    const QString name =
        m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNameColumn).trimmed();
    return m_context.messages().askDefaultNo(CounterRules::dropOrderQuestion(name),
                                             QStringLiteral("Confirmation"));
}

void frmEmployeeList::closeEvent(QCloseEvent* event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    event->accept();
    // The counter's word goes with it; opened again, it speaks anew.
    m_context.statusNote(QString());
    m_context.statusAction(QString());
    m_refusedShown = false;
}

void frmEmployeeList::showMealModes()
{
    const QStringList modes = CounterRules::offeredModes(m_data.settings());
    QStringList shown;
    for (int i = 0; i < m_ui.cmdMealMode->count(); ++i)
        shown.append(m_ui.cmdMealMode->itemText(i));
    if (shown == modes)
        return;
    const QString text = m_ui.cmdMealMode->currentText();
    m_ui.cmdMealMode->clear();
    m_ui.cmdMealMode->addItems(modes);
    m_ui.cmdMealMode->setCurrentIndex(-1);
    m_ui.cmdMealMode->setEditText(text);
}

void frmEmployeeList::preselectMealMode()
{
    // Outside every serving window the mode is not guessed.
    // Offline the server's clock as last read, moved on.
    const QString mode = m_data.settings().modeServedAt(m_data.settings().keepServingOffline
                                                            ? m_data.serverNow().time()
                                                            : m_context.dtServerDate.time());
    if (mode.isEmpty())
        return;
    const int item = m_ui.cmdMealMode->findText(mode, Qt::MatchFixedString);
    if (item >= 0)
        m_ui.cmdMealMode->setCurrentIndex(item);
    else
        m_ui.cmdMealMode->setEditText(mode);
}

void frmEmployeeList::openScannedEmployee()
{
    if (!m_data.settings().scanMode)
        return;
    const QString number = m_lastSearchText.trimmed();
    if (number.isEmpty())
        return;
    QStringList numbers;
    for (int row = 1; row < m_ui.mshEmpList->Rows(); ++row)
        numbers << m_ui.mshEmpList->TextMatrix(row, EmpNumColumn);
    // Nobody, or several employees for the clerk to choose from.
    const int found = CounterRules::scannedRow(numbers, number);
    if (!found) {
        // A badge that finds nobody must not pass unnoticed: the next scan would be
        // appended to this number.
        if (m_ui.mshEmpList->TextMatrix(1, EmpNumColumn).isEmpty()) {
            m_scanNote = m_data.isInactiveEmployee(number)
                             ? CounterRules::inactiveEmployeeNote(number)
                             : CounterRules::noEmployeeNote(number);
            // The next badge replaces this number.
            m_ui.txtEmployeeDetails->selectAll();
            m_ui.txtEmployeeDetails->setFocus();
        }
        showStatusNote();
        return;
    }
    m_ui.mshEmpList->setRow(found);
    chooseEmployee();
    // The meal box takes the order of the employee scanned.
    if (m_ui.fraCounter->isEnabled())
        m_ui.txtMealEntry[MealDescription]->setFocus();
}

bool frmEmployeeList::clerkAcceptsLimits(const QList<OrderLine>& lines)
{
    const QString name =
        m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNameColumn).trimmed();
    for (const LimitWarning& warning : m_data.limitWarnings(strEmpNum, lines)) {
        if (!m_context.messages().askDefaultNo(CounterRules::limitQuestion(warning, name),
                                               QStringLiteral("Confirmation")))
            return false;
    }
    return true;
}

void frmEmployeeList::showChosenEmployee(const QString& empNum, const QString& name)
{
    const QString text = CounterRules::chosenEmployeeText(empNum, name);
    m_ui.lblChosenEmployee->setFont(
        FormControls::font(QStringLiteral("MS Sans Serif"), 9.75, true));
    m_ui.lblChosenEmployee->setText(text);
    m_ui.lblChosenEmployee->setToolTip(text);
    FormControls::fitText(m_ui.lblChosenEmployee);
    // The greyed list keeps the chosen row in sight; the name in large type is for a clerk
    // whose eyes stay on the keys.
    m_ui.lblChosenEmployee->setVisible(keyboardEntry());
}

void frmEmployeeList::handOverToTagging(const QPoint& globalPos)
{
    // The employee is handed over whether or not the menu item is then chosen.
    frmEmployeeMealTag& tagging = m_context.windows().get<frmEmployeeMealTag>();
    tagging.takeEmployee(m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNumColumn),
                         m_ui.mshEmpList->TextMatrix(m_ui.mshEmpList->Row(), EmpNameColumn));
    if (m_context.popupInquiryMenu)
        m_context.popupInquiryMenu(globalPos);
}
