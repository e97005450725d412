#include "frmAccess.h"

#include "access/RightsString.h"
#include "context/AppContext.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The staff list's columns (column 0 is the row header).
enum StaffColumn
{
    StaffIdColumn = 1,
    StaffNameColumn = 2
};

// Columns of the rights grid.
constexpr int codeCol = 1;
constexpr int accessCol = 3;

// Both panels share one size and the same top edge.
constexpr int panelTop = 30;
constexpr int panelWidth = 4695;
constexpr int panelHeight = 6255;
// The designer lays the panels side by side; Load narrows the window to one panel.
constexpr int designWidth = 9705;
constexpr int clientHeight = 6375;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    QPushButton* widget = FormControls::button(parent, QLatin1String(name), caption);
    Twips::place(widget, left, top, 1215, 495);
    return widget;
}

QFrame* panel(QWidget* parent, const char* name, int left)
{
    auto* frame = FormControls::control<QFrame>(parent, QLatin1String(name), left, panelTop,
                                                panelWidth, panelHeight);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setAutoFillBackground(true);
    return frame;
}

} // namespace

frmAccess::frmAccess(AppContext& context)
    : ModalForm(context.modal()), m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmAccess"));
    setWindowTitle(QStringLiteral("User Access"));
}

void frmAccess::createControls(QWidget* surface)
{
    setClientSizeTwips(designWidth, clientHeight);
    createRightsPanel(surface);
    // Created second, so that when moved over the rights panel it covers it.
    createPersonnelPanel(surface);
    FormControls::fitCaptions(surface);
    connectControls();
}

void frmAccess::createRightsPanel(QWidget* surface)
{
    fraSearch = panel(surface, "fraSearch", 30);
    txtSearchEntry = FormControls::control<QLineEdit>(fraSearch, QStringLiteral("txtSearchEntry"),
                                                      120, 120, 3135, 500);
    cmdSearch = button(fraSearch, "cmdSearch", QStringLiteral("SEARCH"), 3360, 120);
    lblEmpName = FormControls::label(fraSearch, QStringLiteral("lblEmpName"), QString());
    Twips::place(lblEmpName, 120, 720, 4455, 375);
    mshSearchAccess = FormControls::control<FlexGrid>(fraSearch, QStringLiteral("mshSearchAccess"),
                                                      120, 1200, 4455, 4335);
    lblAccess = FormControls::label(
        fraSearch, QStringLiteral("lblAccess"),
        QStringLiteral("Double Click to Change    N - No Access                   "
                       "Y - With Access"));
    Twips::place(lblAccess, 120, 5640, 1815, 615);
    // The legend wraps inside a box sized for a narrower system font.
    lblAccess->setWordWrap(true);
    lblEmpNum = FormControls::label(fraSearch, QStringLiteral("lblEmpNum"), QString());
    Twips::place(lblEmpNum, 120, 5640, 855, 375);
    lblEmpNum->setVisible(false);
    lblRights = FormControls::label(fraSearch, QStringLiteral("lblRights"), QString());
    Twips::place(lblRights, 1080, 5640, 855, 375);
    lblRights->setVisible(false);
    cmdSave = button(fraSearch, "cmdSave", QStringLiteral("Save"), 2040, 5640);
    cmdCancelRights = button(fraSearch, "cmdCancelRights", QStringLiteral("Cancel"), 3360, 5640);
}

void frmAccess::createPersonnelPanel(QWidget* surface)
{
    fraEmpList = panel(surface, "fraEmpList", empListHiddenLeft);
    lblCode = FormControls::label(fraEmpList, QStringLiteral("lblCode"),
                                  QStringLiteral("Personnel List"));
    Twips::place(lblCode, 120, 120, 3135, 375);
    txtEmpSearch = FormControls::control<QLineEdit>(fraEmpList, QStringLiteral("txtEmpSearch"), 120,
                                                    480, 3165, 500);
    cmdSearchEmp2 = button(fraEmpList, "cmdSearchEmp2", QStringLiteral("Search"), 3360, 480);
    mshEmpList = FormControls::control<FlexGrid>(fraEmpList, QStringLiteral("mshEmpList"), 120,
                                                 1200, 4455, 4335);
    cmdSelect = button(fraEmpList, "cmdSelect", QStringLiteral("Select"), 2040, 5640);
    cmdCancel = button(fraEmpList, "cmdCancel", QStringLiteral("Cancel"), 3360, 5640);
}

void frmAccess::connectControls()
{
    // Every action that reaches the database runs through attempt(): a failure is shown
    // and stops the action there, and the window stays usable.
    const auto guarded = [this](void (frmAccess::*action)()) {
        return [this, action] { m_context.attempt([this, action] { (this->*action)(); }); };
    };

    connect(cmdSearch, &QPushButton::clicked, this, guarded(&frmAccess::openSearch));
    FormControls::onEnter(txtSearchEntry, guarded(&frmAccess::openSearch));

    // The list follows the text as it stands after each key; Enter and the button search
    // again on demand.
    connect(txtEmpSearch, &QLineEdit::textEdited, this, guarded(&frmAccess::SearchPersonnel));
    FormControls::onEnter(txtEmpSearch, guarded(&frmAccess::SearchPersonnel));
    connect(cmdSearchEmp2, &QPushButton::clicked, this, guarded(&frmAccess::SearchPersonnel));

    connect(mshEmpList, &FlexGrid::DblClick, this, guarded(&frmAccess::choosePerson));
    connect(cmdSelect, &QPushButton::clicked, this, guarded(&frmAccess::choosePerson));
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cancelSearch(); });

    connect(mshSearchAccess, &FlexGrid::DblClick, this, [this] { toggleAccess(); });
    connect(cmdSave, &QPushButton::clicked, this, guarded(&frmAccess::saveRights));
    connect(cmdCancelRights, &QPushButton::clicked, this, [this] { unload(); });
}

void frmAccess::Form_Load()
{
    // Only the rights panel shows; nothing is read until a search.
    setFormWidth();
}

void frmAccess::setFormWidth()
{
    setClientSizeTwips(formWidth, clientHeight);
}

void frmAccess::moveEmpList(int leftTwips)
{
    Twips::place(fraEmpList, leftTwips, panelTop, panelWidth, panelHeight);
}

void frmAccess::openSearch()
{
    moveEmpList(empListShownLeft);
    txtEmpSearch->setText(txtSearchEntry->text());
    SearchPersonnel();
}

void frmAccess::SearchPersonnel()
{
    mshEmpList->layOut(QStringLiteral(" |<STAFF ID |<NAME"), 3, {0, 750, 3500});
    mshEmpList->fillFrom([this] { return m_data.searchPersonnel(txtEmpSearch->text()); }, false);
}

void frmAccess::choosePerson()
{
    const int row = mshEmpList->Row();
    const QString staffId = mshEmpList->TextMatrix(row, StaffIdColumn);
    const QString name = mshEmpList->TextMatrix(row, StaffNameColumn);

    // The reads come before the panel is put aside and the search texts are cleared, so a
    // failed read leaves the personnel panel with what the user typed.
    LoadAccessList();
    lblEmpNum->setText(staffId);
    lblEmpName->setText(QLatin1Char(' ') + name);
    LoadUserRights();

    moveEmpList(empListHiddenLeft);
    setFormWidth();
    txtEmpSearch->clear();
    txtSearchEntry->clear();
}

void frmAccess::cancelSearch()
{
    setFormWidth();
    moveEmpList(empListHiddenLeft);
    txtEmpSearch->clear();
    txtSearchEntry->clear();
    lblEmpName->clear();
    lblEmpNum->clear();
}

void frmAccess::LoadAccessList()
{
    mshSearchAccess->layOut(QStringLiteral(" |<ACCESS |<STAFF ID |<DESCRIPTION"), 4,
                            {0, 750, 2500, 750});
    mshSearchAccess->fillFrom([this] { return m_data.accessList(); }, false);
}

void frmAccess::LoadUserRights()
{
    const Recordset rights = m_data.userRights(lblEmpNum->text());
    if (rights.recordCount() > 0) {
        lblRights->setText(rights.value(0, QStringLiteral("Rights")));
        ShowRightsInGrid(true);
    }
}

void frmAccess::ShowRightsInGrid(bool show)
{
    if (!show || mshSearchAccess->Cols() <= accessCol)
        return;
    const QString rights = lblRights->text();
    for (int row = 1; row < mshSearchAccess->Rows(); ++row) {
        const QString code = mshSearchAccess->TextMatrix(row, codeCol);
        mshSearchAccess->setTextMatrix(row, accessCol, RightsString::accessMark(rights, row, code));
    }
}

void frmAccess::toggleAccess()
{
    // Before any person is chosen the grid has no ACCESS column to change.
    const int row = mshSearchAccess->Row();
    if (row < 1 || row >= mshSearchAccess->Rows() || mshSearchAccess->Cols() <= accessCol)
        return;
    mshSearchAccess->setTextMatrix(
        row, accessCol, RightsString::toggled(mshSearchAccess->TextMatrix(row, accessCol)));
}

void frmAccess::saveRights()
{
    QList<RightsString::Row> rows;
    for (int row = 1; row < mshSearchAccess->Rows(); ++row) {
        rows.append({mshSearchAccess->TextMatrix(row, codeCol),
                     mshSearchAccess->TextMatrix(row, accessCol)});
    }
    // Nothing is checked here: the store refuses a save without a staff ID, and that
    // refusal reaches the user through attempt() instead of "Done.".
    m_data.saveUserRights(lblEmpNum->text(), RightsString::build(rows));
    m_context.messages().info(QStringLiteral("Done."));
    LoadUserRights();
}
