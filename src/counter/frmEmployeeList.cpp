#include "frmEmployeeList.h"

#include "CounterLook.h"
#include "CounterRules.h"
#include "MealRevoke.h"
#include "context/AppContext.h"
#include "context/Rights.h"
#include "context/WindowRegistry.h"
#include "data/ColumnLengths.h"
#include "lookup/frmSearcher.h"
#include "tagging/frmEmployeeMealTag.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

enum MealEntryButton
{
    Save = 0,
    Cancel = 1,
    Add = 2,
    Remove = 3,
    MealSearch = 4
};
enum MealListGrid
{
    OrderGrid = 0,
    ReceivedGrid = 1
};
// The employee list's columns as the search answers them (column 0 is the row header):
// the number, the name, and the day searched for (passed on to the meals received).
enum EmployeeColumn
{
    EmpNumColumn = 1,
    EmpNameColumn = 2,
    EmpCol3Column = 3
};
// The meals received list's column holding a meal's transaction number.
constexpr int TransNumColumn = 6;
enum MealEntryBox
{
    MealCode = 0,
    MealDescription = 1,
    Remarks = 2
};

} // namespace

using namespace CounterLook;
using FormControls::indexed;

frmEmployeeList::frmEmployeeList(AppContext& context) : m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmEmployeeList"));
    setWindowTitle(QStringLiteral("List of Employees"));
    resize(Twips::toPixels(14670), Twips::toPixels(8880));
    createControls();
    m_order = std::make_unique<OrderList>(*mshMealList[OrderGrid]);
    applySettings();
    m_context.onSettingsSaved(this, [this](const AppSettings& settings) { useSettings(settings); });
}

void frmEmployeeList::createControls()
{
    createSearchFrame();
    createListFrame();
    createCounterFrame();
    connectKeyboard();
    // The captions' boxes were sized for the designed fonts; a wider fallback must not cut
    // them off.
    FormControls::fitCaptions(this);
}

void frmEmployeeList::createSearchFrame()
{
    fraSearch = makeFrame(this, QStringLiteral("fraSearch"));
    Twips::place(fraSearch, 30, 30, 8895, 1215);
    lblSearchEmployee = makeLabel(fraSearch, QStringLiteral("lblSearchEmployee"),
                                  QStringLiteral("Search Employee"), 20.25);
    Twips::place(lblSearchEmployee, 150, 120, 3495, 495);
    txtEmployeeDetails = makeTextBox(fraSearch, QStringLiteral("txtEmployeeDetails"), 13.5);
    txtEmployeeDetails->setMaxLength(ColumnLengths::SearchText);
    Twips::place(txtEmployeeDetails, 120, 600, 7335, 500);
    cmdSearch = makeButton(fraSearch, QStringLiteral("cmdSearch"), QStringLiteral("Search"));
    Twips::place(cmdSearch, 7560, 600, 1215, 495);

    // Enter searches; every other key just edits the text.
    FormControls::onEnter(txtEmployeeDetails, [this] { cmdSearch_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, &frmEmployeeList::cmdSearch_Click);
}

void frmEmployeeList::createListFrame()
{
    fraList = makeFrame(this, QStringLiteral("fraList"));
    Twips::place(fraList, 30, 1275, 8895, 7575);
    lblListEmployees = makeLabel(fraList, QStringLiteral("lblListEmployees"),
                                 QStringLiteral("List of Employees Entered"), 20.25);
    Twips::place(lblListEmployees, 150, 120, 3495, 495);
    mshEmpList = makeGrid(fraList, QStringLiteral("mshEmpList"));
    Twips::place(mshEmpList, 155, 600, 8585, 6855);

    // In entry mode the greyed list still shows whom the clerk is serving.
    mshEmpList->setShowsChoiceWhileFrameDisabled(true);
    connect(mshEmpList, &FlexGrid::Click, this, &frmEmployeeList::mshEmpList_Click);
    connect(mshEmpList, &FlexGrid::DblClick, this, &frmEmployeeList::mshEmpList_DblClick);
    connect(mshEmpList, &FlexGrid::RightButtonDown, this,
            &frmEmployeeList::mshEmpList_RightButtonDown);
}

void frmEmployeeList::createCounterFrame()
{
    fraCounter = makeFrame(this, QStringLiteral("fraCounter"));
    Twips::place(fraCounter, 8955, 30, 5685, 8820);
    QWidget* frame = fraCounter;

    const struct
    {
        int index;
        const char* caption;
        int left, top, width, height;
    } labels[] = {
        {3, "Meals Received Today", 120, 120, 5415, 375}, {0, "Meal Entries", 120, 2520, 5415, 375},
        {4, "Meal Mode:", 120, 3480, 1575, 375},          {1, "Remarks", 120, 3960, 1335, 375},
        {2, "Order List", 120, 6000, 1935, 375},
    };
    for (const auto& l : labels) {
        lblCounter[l.index] =
            makeLabel(frame, indexed("lblCounter", l.index), QString::fromLatin1(l.caption), 14.25);
        Twips::place(lblCounter[l.index], l.left, l.top, l.width, l.height);
    }

    mshMealList[ReceivedGrid] = makeGrid(frame, indexed("mshMealList", ReceivedGrid));
    Twips::place(mshMealList[ReceivedGrid], 120, 600, 5415, 1695);
    Line1 = makeSeparator(frame, QStringLiteral("Line1"), 2400);

    txtMealEntry[MealDescription] =
        makeTextBox(frame, indexed("txtMealEntry", MealDescription), 13.5);
    txtMealEntry[MealDescription]->setMaxLength(ColumnLengths::SearchText);
    Twips::place(txtMealEntry[MealDescription], 120, 2880, 4095, 500);
    // Whom the order is for, beside "Meal Entries", so no meal is booked to the wrong
    // person once the employee list is greyed out.
    lblChosenEmployee = FormControls::label(frame, QStringLiteral("lblChosenEmployee"), QString());
    lblChosenEmployee->setFont(FormControls::font(QStringLiteral("MS Sans Serif"), 9.75, true));
    lblChosenEmployee->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Twips::place(lblChosenEmployee, 1800, 2520, 3735, 375);
    cmdMealEntry[MealSearch] =
        makeButton(frame, indexed("cmdMealEntry", MealSearch), QStringLiteral("Search"));
    Twips::place(cmdMealEntry[MealSearch], 4320, 2880, 1215, 495);

    cmdMealMode = FormControls::control<QComboBox>(frame, QStringLiteral("cmdMealMode"));
    cmdMealMode->setEditable(true);
    // A mode typed by hand is taken as typed, not added to the list.
    cmdMealMode->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion either: typing "Extra" must not become "Extra Meal".
    cmdMealMode->setCompleter(nullptr);
    cmdMealMode->lineEdit()->setMaxLength(ColumnLengths::MealMode);
    cmdMealMode->setFont(FormControls::font(QStringLiteral("MS Sans Serif"), 12, true));
    showMealModes();
    Twips::place(cmdMealMode, 1800, 3480, 2415, 420);

    txtMealEntry[MealCode] = makeTextBox(frame, indexed("txtMealEntry", MealCode), 8.25);
    Twips::place(txtMealEntry[MealCode], 4320, 3480, 1215, 300);
    txtMealEntry[Remarks] = makeTextBox(frame, indexed("txtMealEntry", Remarks), 13.5);
    txtMealEntry[Remarks]->setMaxLength(ColumnLengths::Remarks);
    Twips::place(txtMealEntry[Remarks], 120, 4320, 5415, 855);
    cmdMealEntry[Add] = makeButton(frame, indexed("cmdMealEntry", Add), QStringLiteral("Add"));
    Twips::place(cmdMealEntry[Add], 4320, 5280, 1215, 495);

    Line2 = makeSeparator(frame, QStringLiteral("Line2"), 5880);
    mshMealList[OrderGrid] = makeGrid(frame, indexed("mshMealList", OrderGrid));
    Twips::place(mshMealList[OrderGrid], 120, 6360, 5415, 1695);

    cmdMealEntry[Remove] =
        makeButton(frame, indexed("cmdMealEntry", Remove), QStringLiteral("Remove"));
    Twips::place(cmdMealEntry[Remove], 120, 8160, 1215, 495);
    cmdMealEntry[Save] = makeButton(frame, indexed("cmdMealEntry", Save), QStringLiteral("Save"));
    Twips::place(cmdMealEntry[Save], 3000, 8160, 1215, 495);
    cmdMealEntry[Cancel] =
        makeButton(frame, indexed("cmdMealEntry", Cancel), QStringLiteral("Cancel"));
    Twips::place(cmdMealEntry[Cancel], 4320, 8160, 1215, 495);

    for (int i = 0; i < int(cmdMealEntry.size()); ++i)
        connect(cmdMealEntry[i], &QPushButton::clicked, this, [this, i] { cmdMealEntry_Click(i); });
    for (int i = 0; i < int(mshMealList.size()); ++i) {
        connect(mshMealList[i], &FlexGrid::Click, this, [this, i] { mshMealList_Click(i); });
        connect(mshMealList[i], &FlexGrid::DblClick, this, [this, i] { mshMealList_DblClick(i); });
    }
}

void frmEmployeeList::connectKeyboard()
{
    // Description -> meal lookup -> meal mode -> remarks -> Add, then the next meal; only
    // where the site chose keyboard order entry. Otherwise the boxes only take typing.
    FormControls::onEnter(txtMealEntry[MealDescription], [this] {
        if (keyboardEntry())
            lookUpMeal();
    });
    const auto toRemarks = [this] {
        if (keyboardEntry())
            txtMealEntry[Remarks]->setFocus();
    };
    FormControls::onEnter(cmdMealMode, toRemarks);
    connect(cmdMealMode, &QComboBox::activated, this, toRemarks);
    FormControls::onEnter(txtMealEntry[Remarks], [this] {
        if (keyboardEntry())
            cmdMealEntry_Click(Add);
    });
}

void frmEmployeeList::Form_Load()
{
    txtEmployeeDetails->clear();
    // A counter opened again may meet settings changed meanwhile.
    m_data.expireSettings();
    m_context.attempt([this] { LoadEmployeeList(); });
    // Browse mode whether or not the first search reached the server.
    ResetCounter();
    // A badge reader types where the focus is: in scan mode that is the search box.
    if (m_data.settings().scanMode)
        txtEmployeeDetails->setFocus();
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
    mshEmpList->selectWholeRow();
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
        m_context.attempt([this] {
            // The blank row of an empty order is not a meal: nothing is sent for it.
            if (m_order->lines().isEmpty()) {
                m_context.messages().info(QStringLiteral("The order list is empty."));
                return;
            }
            if (!clerkAcceptsLimits(m_order->lines()))
                return;
            SaveDistributedMeals();
            ResetCounter();
            m_context.messages().info(QStringLiteral("Saved!"));
            readyForNextEmployee();
        });
        break;
    case Cancel:
        ResetCounter();
        txtEmployeeDetails->setFocus();
        readyForNextEmployee();
        break;
    case Add:
        // By keys the next line follows in the meal box.
        if (AddMealToOrder() && keyboardEntry())
            txtMealEntry[MealDescription]->setFocus();
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
    mshMealList[index]->selectWholeRow();
}

void frmEmployeeList::mshMealList_DblClick(int index)
{
    if (index == OrderGrid) {
        m_order->removeCurrent();
        return;
    }
    m_context.attempt([this] {
        if (!Rights::heldOrRefused(m_context, Rights::Right::Revoke))
            return;
        RevokeDistributedMeal();
        // Whatever the answer, the counter is refreshed for the same employee: the
        // received meals are read again and the order starts afresh.
        chooseEmployee();
    });
}

// --- Procedures -------------------------------------------------------------------------

void frmEmployeeList::LoadEmployeeList()
{
    searchEmployees(txtEmployeeDetails->text());
}

void frmEmployeeList::searchEmployees(const QString& text)
{
    m_lastSearchText = text;
    m_scanNote.clear();
    mshEmpList->layOut(QString(), 2, {0, 1000, 3500, 2400, 1900});
    try {
        mshEmpList->fillFrom([this, &text] { return m_data.loadEmployees(text); }, true);
    } catch (...) {
        // The settings may have been read before the search failed.
        applySettings();
        throw;
    }
    applySettings();
}

void frmEmployeeList::ResetCounter()
{
    for (QPushButton* button : cmdMealEntry)
        button->setEnabled(false);
    for (QLineEdit* box : txtMealEntry) {
        box->setEnabled(false);
        box->setText(QString());
    }
    for (FlexGrid* grid : mshMealList)
        grid->Clear();
    fraCounter->setEnabled(false);
    fraSearch->setEnabled(true);
    fraList->setEnabled(true);
    clearMealMode();
    showChosenEmployee(QString(), QString());
}

void frmEmployeeList::EnableMealEntry()
{
    for (QPushButton* button : cmdMealEntry)
        button->setEnabled(true);
    for (QLineEdit* box : txtMealEntry)
        box->setEnabled(true);
    fraCounter->setEnabled(true);
    fraSearch->setEnabled(false);
    fraList->setEnabled(false);
    m_order->initialise();
}

bool frmEmployeeList::LoadDistributedMeals()
{
    if (m_data.dayChangedSinceSearch() && !refreshListForNewDay()) {
        mshMealList[ReceivedGrid]->Clear();
        return false;
    }
    strEmpNum = mshEmpList->TextMatrix(mshEmpList->Row(), EmpNumColumn);
    strEmpCol3 = mshEmpList->TextMatrix(mshEmpList->Row(), EmpCol3Column);

    FlexGrid* grid = mshMealList[ReceivedGrid];
    grid->layOut(
        QStringLiteral(" |<MEAL |<DESCRIPTION |<TIME |<REMARKS |<CLERKID |<TRANSNUM |<MEALMODE"), 5,
        {0, 0, 3000, 1000, 2000, 750, 0, 0});
    grid->fillFrom([this] { return m_data.loadDistributedMeals(strEmpNum, strEmpCol3); }, false);
    return true;
}

void frmEmployeeList::SaveDistributedMeals()
{
    m_data.saveOrder(strEmpNum, m_order->lines());
}

void frmEmployeeList::RevokeDistributedMeal()
{
    const FlexGrid* grid = mshMealList[ReceivedGrid];
    MealRevoke(m_context).confirmAndRevoke(strEmpNum,
                                           grid->TextMatrix(grid->Row(), TransNumColumn));
}

bool frmEmployeeList::AddMealToOrder()
{
    OrderLine line{txtMealEntry[MealCode]->text(), txtMealEntry[MealDescription]->text(),
                   cmdMealMode->currentText(), txtMealEntry[Remarks]->text()};
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
        cmdMealMode->setEditText(line.mealMode);
    return true;
}

bool frmEmployeeList::acceptMealMode(QString& typed)
{
    const CounterRules::ModeCheck check = CounterRules::checkMealMode(m_data.settings(), typed);
    if (!check.accepted) {
        m_context.messages().info(check.refusal);
        // By keys the clerk mends the mode at once.
        if (keyboardEntry()) {
            cmdMealMode->setFocus();
            cmdMealMode->lineEdit()->selectAll();
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
        txtEmployeeDetails->clear();
        txtEmployeeDetails->setFocus();
    } else if (keyboardEntry()) {
        txtEmployeeDetails->setFocus();
    }
}

void frmEmployeeList::ClearMealEntry()
{
    for (QLineEdit* box : txtMealEntry)
        box->setText(QString());
    clearMealMode();
}

void frmEmployeeList::clearMealMode()
{
    // No item stays current either, so picking the same mode again fills the text.
    cmdMealMode->setCurrentIndex(-1);
    cmdMealMode->setEditText(QString());
}

void frmEmployeeList::lookUpMeal()
{
    frmSearcher& searcher = m_context.windows().get<frmSearcher>();
    searcher.strMode = frmSearcher::ModeAllowedMeals;
    searcher.strSearchText = txtMealEntry[MealDescription]->text();
    searcher.strEmpNumSearch = strEmpNum;
    searcher.setKeyboardChoice(keyboardEntry());
    searcher.showModal();
    // A lookup closed without a choice hands back empty values, which empty the boxes.
    txtMealEntry[MealCode]->setText(searcher.strCode);
    txtMealEntry[MealDescription]->setText(searcher.strDescription);
    // By keys, after a choice the clerk goes on with the meal mode.
    if (keyboardEntry() && !searcher.strCode.isEmpty()) {
        cmdMealMode->setFocus();
        // A mode chosen for the clerk is replaced by what is typed, not added to.
        cmdMealMode->lineEdit()->selectAll();
    }
}

bool frmEmployeeList::refreshListForNewDay()
{
    const QString empNum = mshEmpList->TextMatrix(mshEmpList->Row(), EmpNumColumn);
    searchEmployees(m_lastSearchText);
    for (int row = 1; row < mshEmpList->Rows(); ++row) {
        if (mshEmpList->TextMatrix(row, EmpNumColumn) == empNum) {
            mshEmpList->setRow(row);
            mshEmpList->selectWholeRow();
            return true;
        }
    }
    // Never another employee in the clicked one's place.
    return false;
}

void frmEmployeeList::chooseEmployee()
{
    mshEmpList->selectWholeRow();
    if (!Rights::heldOrRefused(m_context, Rights::Right::Counter))
        return;
    EnableMealEntry();
    if (!LoadDistributedMeals()) {
        ResetCounter();
        return;
    }
    showChosenEmployee(strEmpNum, mshEmpList->TextMatrix(mshEmpList->Row(), EmpNameColumn));
    preselectMealMode();
    if (keyboardEntry())
        txtMealEntry[MealDescription]->setFocus();
}

void frmEmployeeList::useSettings(const AppSettings& settings)
{
    m_data.useSettings(settings);
    applySettings();
}

void frmEmployeeList::applySettings()
{
    showMealModes();
    const bool keys = keyboardEntry();
    // Alt+S and Alt+C, underlined on the buttons, belong to keyboard order entry.
    cmdMealEntry[Save]->setText(keys ? QStringLiteral("&Save") : QStringLiteral("Save"));
    cmdMealEntry[Cancel]->setText(keys ? QStringLiteral("&Cancel") : QStringLiteral("Cancel"));
    mshEmpList->setChoosesByKeyboard(keys);
    showStatusNote();
}

void frmEmployeeList::showStatusNote()
{
    m_context.statusNote(CounterRules::statusNote({m_scanNote, m_data.settingsFault()}));
}

bool frmEmployeeList::mayClose()
{
    if (!fraCounter->isEnabled() || m_order->lines().isEmpty())
        return true;
    const QString name = mshEmpList->TextMatrix(mshEmpList->Row(), EmpNameColumn).trimmed();
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
}

void frmEmployeeList::showMealModes()
{
    const QStringList modes = CounterRules::offeredModes(m_data.settings());
    QStringList shown;
    for (int i = 0; i < cmdMealMode->count(); ++i)
        shown.append(cmdMealMode->itemText(i));
    if (shown == modes)
        return;
    const QString text = cmdMealMode->currentText();
    cmdMealMode->clear();
    cmdMealMode->addItems(modes);
    cmdMealMode->setCurrentIndex(-1);
    cmdMealMode->setEditText(text);
}

void frmEmployeeList::preselectMealMode()
{
    // Outside every serving window the mode is not guessed.
    const QString mode = m_data.settings().modeServedAt(m_context.dtServerDate.time());
    if (mode.isEmpty())
        return;
    const int item = cmdMealMode->findText(mode, Qt::MatchFixedString);
    if (item >= 0)
        cmdMealMode->setCurrentIndex(item);
    else
        cmdMealMode->setEditText(mode);
}

void frmEmployeeList::openScannedEmployee()
{
    if (!m_data.settings().scanMode)
        return;
    const QString number = m_lastSearchText.trimmed();
    if (number.isEmpty())
        return;
    QStringList numbers;
    for (int row = 1; row < mshEmpList->Rows(); ++row)
        numbers << mshEmpList->TextMatrix(row, EmpNumColumn);
    // Nobody, or several employees for the clerk to choose from.
    const int found = CounterRules::scannedRow(numbers, number);
    if (!found) {
        // A badge that finds nobody must not pass unnoticed: the next scan would be
        // appended to this number.
        if (mshEmpList->TextMatrix(1, EmpNumColumn).isEmpty()) {
            m_scanNote = CounterRules::noEmployeeNote(number);
            // The next badge replaces this number.
            txtEmployeeDetails->selectAll();
            txtEmployeeDetails->setFocus();
        }
        showStatusNote();
        return;
    }
    mshEmpList->setRow(found);
    chooseEmployee();
    // The meal box takes the order of the employee scanned.
    if (fraCounter->isEnabled())
        txtMealEntry[MealDescription]->setFocus();
}

bool frmEmployeeList::clerkAcceptsLimits(const QList<OrderLine>& lines)
{
    const QString name = mshEmpList->TextMatrix(mshEmpList->Row(), EmpNameColumn).trimmed();
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
    lblChosenEmployee->setFont(FormControls::font(QStringLiteral("MS Sans Serif"), 9.75, true));
    lblChosenEmployee->setText(text);
    lblChosenEmployee->setToolTip(text);
    FormControls::fitText(lblChosenEmployee);
}

void frmEmployeeList::handOverToTagging(const QPoint& globalPos)
{
    // The employee is handed over whether or not the menu item is then chosen.
    frmEmployeeMealTag& tagging = m_context.windows().get<frmEmployeeMealTag>();
    tagging.takeEmployee(mshEmpList->TextMatrix(mshEmpList->Row(), EmpNumColumn),
                         mshEmpList->TextMatrix(mshEmpList->Row(), EmpNameColumn));
    if (m_context.popupInquiryMenu)
        m_context.popupInquiryMenu(globalPos);
}
