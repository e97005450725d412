#include "frmEmployeeLookup.h"

#include "context/AppContext.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/Twips.h"

namespace {
// The personnel list's columns (column 0 is the row header).
enum Column
{
    NumberColumn = 1,
    NameColumn = 2
};
} // namespace

frmEmployeeLookup::frmEmployeeLookup(AppContext& context)
    : ModalForm(context.modal()), m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmEmployeeLookup"));
    setWindowTitle(QStringLiteral("Employees"));
    setClientSizeTwips(8400, 5400);
}

void frmEmployeeLookup::createControls(QWidget* surface)
{
    mshEmployees = FormControls::grid(surface, QStringLiteral("mshEmployees"));
    Twips::place(mshEmployees, 120, 120, 8160, 5160);
    connect(mshEmployees, &FlexGrid::Click, mshEmployees, &FlexGrid::selectWholeRow);
    connect(mshEmployees, &FlexGrid::DblClick, this, &frmEmployeeLookup::mshEmployees_DblClick);
    // Enter chooses the highlighted employee, as a double-click does.
    mshEmployees->setChoosesByKeyboard(true);
}

void frmEmployeeLookup::Form_Load()
{
    strEmpNum.clear();
    strEmpName.clear();
    mshEmployees->layOut(QString(), 4, {0, 1200, 4200, 2400});
    m_context.attempt([this] {
        mshEmployees->fillFrom([this] { return m_data.employees(strSearchText); }, true);
    });
}

void frmEmployeeLookup::mshEmployees_DblClick()
{
    const int row = mshEmployees->Row();
    if (row < 1 || mshEmployees->TextMatrix(row, NumberColumn).isEmpty())
        return;
    strEmpNum = mshEmployees->TextMatrix(row, NumberColumn);
    strEmpName = mshEmployees->TextMatrix(row, NameColumn);
    unload();
}
