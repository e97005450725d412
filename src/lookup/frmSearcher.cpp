#include "frmSearcher.h"

#include "context/AppContext.h"
#include "data/DbError.h"
#include "data/SqlText.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

using SqlText::quote;

namespace {
// The lookup list's columns (column 0 is the row header). Meals: code, description, cost,
// type, status; meal types: code, description, status.
enum Column
{
    CodeColumn = 1,
    DescriptionColumn = 2,
    CostColumn = 3,
    TypeColumn = 4,
    MealStatusColumn = 5,
    TypeStatusColumn = 3
};
} // namespace

frmSearcher::frmSearcher(AppContext& context) : ModalForm(context.modal()), m_context(context)
{
    setObjectName(QStringLiteral("frmSearcher"));
    setWindowTitle(QStringLiteral("Search"));
    setClientSizeTwips(4755, 6315);
}

QString frmSearcher::queryText(const QString& mode, const QString& empNum,
                               const QString& searchText)
{
    const QString t = quote(searchText);
    if (mode == ModeAllowedMeals)
        return SqlText::call(QStringLiteral("Station..Load_TALO_EmployeeAllowedMeals"),
                             {empNum, searchText});
    if (mode == ModeMeals)
        return QStringLiteral("Select * from Station..tbcoMeal where Description like '%") + t +
               QStringLiteral("%'");
    // This one is sent unbracketed on purpose: the server's precedence lists a type found
    // by its description whatever its status, and one found only by its code when active.
    if (mode == ModeActiveMealTypes)
        return QStringLiteral("Select * from Station..tbcoMealType where Description like '%") + t +
               QStringLiteral("%' or Code like '%") + t + QStringLiteral("%' and Status = '1'");
    if (mode == ModeMealTypes)
        return QStringLiteral("Select * from Station..tbcoMealType where Description like '%") + t +
               QStringLiteral("%' or Code like '%") + t + QStringLiteral("%'");
    return {};
}

bool frmSearcher::readStatus(const QString& cell)
{
    const QString text = cell.trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    return isNumber && number != 0.0;
}

void frmSearcher::createControls(QWidget* surface)
{
    fraSearch = FormControls::frame(surface, QStringLiteral("fraSearch"));
    Twips::place(fraSearch, 30, 30, 4695, 6255);

    mshSearchList = FormControls::grid(fraSearch, QStringLiteral("mshSearchList"));
    mshSearchList->setRows(2);
    mshSearchList->setCols(2);
    Twips::place(mshSearchList, 120, 840, 4455, 5295);

    txtSearchEntry = FormControls::textBox(fraSearch, QStringLiteral("txtSearchEntry"));
    Twips::place(txtSearchEntry, 120, 120, 3135, 500);

    // Enter in the search box searches once, through the box.
    cmdSearch =
        FormControls::button(fraSearch, QStringLiteral("cmdSearch"), QStringLiteral("SEARCH"));
    Twips::place(cmdSearch, 3360, 120, 1215, 495);

    setTabOrder(mshSearchList, txtSearchEntry);
    setTabOrder(txtSearchEntry, cmdSearch);

    FormControls::onEnter(txtSearchEntry, [this] { cmdSearch_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, &frmSearcher::cmdSearch_Click);
    connect(mshSearchList, &FlexGrid::Click, this, &frmSearcher::mshSearchList_Click);
    connect(mshSearchList, &FlexGrid::DblClick, this, &frmSearcher::mshSearchList_DblClick);

    // The opener asks for the keys of each showing anew.
    const bool keyboard = std::exchange(m_keyboardChoice, false);
    // Escape is the close box (nothing chosen) only for a clerk working from the keys.
    setClosesOnEscape(keyboard);
    if (!keyboard)
        return;
    mshSearchList->setChoosesByKeyboard(true);
    FormControls::onUpDown(txtSearchEntry, [this] {
        if (mshSearchList->isEnabled())
            mshSearchList->setFocus();
    });
    connect(mshSearchList, &FlexGrid::TextTyped, this, [this](const QString& text) {
        txtSearchEntry->setFocus();
        txtSearchEntry->insert(text);
    });
}

void frmSearcher::Form_Load()
{
    // A lookup closed without a choice must hand back nothing, not the last choice.
    strCode.clear();
    strDescription.clear();
    strCost.clear();
    strType.clear();
    blnStatus = false;
    txtSearchEntry->setText(strSearchText);
    m_context.attempt([this] { LoadSearchList(); });
}

void frmSearcher::cmdSearch_Click()
{
    m_context.attempt([this] { LoadSearchList(); });
}

void frmSearcher::mshSearchList_Click()
{
    mshSearchList->selectWholeRow();
}

void frmSearcher::mshSearchList_DblClick()
{
    // A disabled list (no match, or a failed search) offers nothing to choose.
    if (!mshSearchList->isEnabled())
        return;
    ReturnSelection();
}

void frmSearcher::LoadSearchList()
{
    mshSearchList->layOut(QString(), 2, {0, 1000, 2450, 1000});
    const QString sql = queryText(strMode, strEmpNumSearch, txtSearchEntry->text());
    mshSearchList->fillFrom(
        [this, &sql] {
            if (sql.isEmpty())
                return Recordset();
            try {
                return m_context.open(sql);
            } catch (const DbError& error) {
                if (strMode != ModeAllowedMeals || !offlineMeals || !error.isUnavailable())
                    throw;
                return offlineMeals(strEmpNumSearch, txtSearchEntry->text(), error);
            }
        },
        true);
}

void frmSearcher::ReturnSelection()
{
    const int row = mshSearchList->Row();
    if (strMode == ModeAllowedMeals || strMode == ModeMeals) {
        ReadMealRow(row);
    } else if (strMode == ModeActiveMealTypes) {
        strCode = mshSearchList->TextMatrix(row, CodeColumn);
        strDescription = mshSearchList->TextMatrix(row, DescriptionColumn);
    } else if (strMode == ModeMealTypes) {
        strCode = mshSearchList->TextMatrix(row, CodeColumn);
        strDescription = mshSearchList->TextMatrix(row, DescriptionColumn);
        blnStatus = readStatus(mshSearchList->TextMatrix(row, TypeStatusColumn));
    }
    unload();
}

void frmSearcher::ReadMealRow(int row)
{
    strCode = mshSearchList->TextMatrix(row, CodeColumn);
    strDescription = mshSearchList->TextMatrix(row, DescriptionColumn);
    strCost = mshSearchList->TextMatrix(row, CostColumn);
    strType = mshSearchList->TextMatrix(row, TypeColumn);
    blnStatus = readStatus(mshSearchList->TextMatrix(row, MealStatusColumn));
}
