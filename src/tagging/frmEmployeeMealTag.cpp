#include "frmEmployeeMealTag.h"

#include "context/AppContext.h"
#include "context/WindowRegistry.h"
#include "frmBulkMealTag.h"
#include "lookup/frmSearcher.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {
// The personnel list's and the tagged meals' columns (column 0 is the row header).
enum Column
{
    EmpNumColumn = 1,
    EmpNameColumn = 2,
    MealTypeCodeColumn = 1
};

// Both panels are this size; the window is designed wide enough to hold them side by side.
constexpr int kPanelWidth = 5535;
constexpr int kPanelHeight = 4845;
constexpr int kPanelTop = 30;
constexpr int kPanelShownLeft = 30;
constexpr int kPersonnelParkedLeft = 5760;
constexpr int kDesignedWidth = kPersonnelParkedLeft + kPanelWidth + 30;
constexpr int kClientHeight = kPanelTop + kPanelHeight + 30;
// Only the tag panel lies inside a window of this width.
constexpr int kTagPanelWidth = 5715;

// The numeric value of a text as the mode's key handlers read it: the leading number,
// 0 when the text does not begin with one.
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

} // namespace

using namespace FormControls;

frmEmployeeMealTag::frmEmployeeMealTag(AppContext& context)
    : ModalForm(context.modal()), m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmEmployeeMealTag"));
    setWindowTitle(QStringLiteral("Meal Tag"));
}

void frmEmployeeMealTag::createControls(QWidget* surface)
{
    fraEmployeeTagMeal = frame(surface, QStringLiteral("fraEmployeeTagMeal"));
    Twips::place(fraEmployeeTagMeal, kPanelShownLeft, kPanelTop, kPanelWidth, kPanelHeight);
    createTagPanel();

    // Created second so that, moved over the tag panel, it covers it.
    fraEmpList = frame(surface, QStringLiteral("fraEmpList"));
    fraEmpList->setAutoFillBackground(true);
    Twips::place(fraEmpList, kPersonnelParkedLeft, kPanelTop, kPanelWidth, kPanelHeight);
    createPersonnelPanel();
    fitCaptions(surface);

    setClientSizeTwips(kDesignedWidth, kClientHeight);
    connectControls();
}

void frmEmployeeMealTag::createTagPanel()
{
    QWidget* panel = fraEmployeeTagMeal;
    lblCode[3] = label(panel, indexed("lblCode", 3), QStringLiteral("Tagged Meals"));
    Twips::place(lblCode[3], 120, 120, 5295, 375);
    mshMealList = grid(panel, QStringLiteral("mshMealList"));
    Twips::place(mshMealList, 120, 480, 5295, 1695);
    lblCode[2] = label(panel, indexed("lblCode", 2), QStringLiteral("ID:"));
    Twips::place(lblCode[2], 120, 2400, 855, 375);
    // Every detail box is read-only as designed; only the lookup and the personnel
    // search fill them. Opened from Settings, the number box takes typing.
    for (int i = 0; i < int(txtMealDetails.size()); ++i) {
        txtMealDetails[i] = textBox(panel, indexed("txtMealDetails", i));
        txtMealDetails[i]->setReadOnly(true);
    }
    Twips::place(txtMealDetails[0], 960, 2280, 2085, 500);
    cmdSearchEmployee = pictureButton(panel, QStringLiteral("cmdSearchEmployee"));
    Twips::place(cmdSearchEmployee, 3120, 2280, 495, 495);
    Twips::place(txtMealDetails[3], 3720, 2280, 1635, 500);
    lblCode[0] = label(panel, indexed("lblCode", 0), QStringLiteral("Name:"));
    Twips::place(lblCode[0], 120, 3000, 855, 375);
    Twips::place(txtMealDetails[1], 960, 2880, 4485, 500);
    lblCode[1] = label(panel, indexed("lblCode", 1), QStringLiteral("Type:"));
    Twips::place(lblCode[1], 120, 3600, 855, 375);
    Twips::place(txtMealDetails[2], 960, 3480, 3885, 500);
    cmdSearchType = pictureButton(panel, QStringLiteral("cmdSearchType"));
    Twips::place(cmdSearchType, 4920, 3480, 495, 495);
    cmdRemove = button(panel, QStringLiteral("cmdRemove"), QStringLiteral("Remove"));
    Twips::place(cmdRemove, 240, 4200, 1215, 495);
    cmdClear = button(panel, QStringLiteral("cmdClear"), QStringLiteral("Clear"));
    Twips::place(cmdClear, 1560, 4200, 1215, 495);
    cmdSave = button(panel, QStringLiteral("cmdSave"), QStringLiteral("Save"));
    Twips::place(cmdSave, 2880, 4200, 1215, 495);
    cmdClose = button(panel, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    Twips::place(cmdClose, 4200, 4200, 1215, 495);
    // Bulk tagging opens from the heading line, beside "Tagged Meals", where the site
    // offers it (Form_Load).
    cmdBulkTag = button(panel, QStringLiteral("cmdBulkTag"), QStringLiteral("&Bulk Tagging..."));
    Twips::place(cmdBulkTag, 3600, 60, 1815, 390);
}

void frmEmployeeMealTag::createPersonnelPanel()
{
    QWidget* panel = fraEmpList;
    lblCode[4] = label(panel, indexed("lblCode", 4), QStringLiteral("Personnel List"));
    Twips::place(lblCode[4], 120, 120, 5295, 375);
    txtEmpSearch = textBox(panel, QStringLiteral("txtEmpSearch"));
    Twips::place(txtEmpSearch, 120, 480, 4005, 500);
    cmdSearchEmp2 = button(panel, QStringLiteral("cmdSearchEmp2"), QStringLiteral("Search"));
    Twips::place(cmdSearchEmp2, 4200, 480, 1215, 495);
    mshEmpList = grid(panel, QStringLiteral("mshEmpList"));
    Twips::place(mshEmpList, 120, 1200, 5295, 2895);
    cmdSelect = button(panel, QStringLiteral("cmdSelect"), QStringLiteral("Select"));
    Twips::place(cmdSelect, 2880, 4200, 1215, 495);
    cmdCancel = button(panel, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
    Twips::place(cmdCancel, 4200, 4200, 1215, 495);
}

void frmEmployeeMealTag::connectControls()
{
    connect(cmdSearchEmployee, &QPushButton::clicked, this, [this] { openPersonnelPanel(); });
    connect(cmdSearchEmp2, &QPushButton::clicked, this, [this] { searchAgain(); });
    connect(cmdSelect, &QPushButton::clicked, this, [this] { chooseEmployee(); });
    connect(mshEmpList, &FlexGrid::DblClick, this, [this] { chooseEmployee(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { leavePanel(); });
    connect(mshEmpList, &FlexGrid::Click, mshEmpList, &FlexGrid::selectWholeRow);

    connect(cmdSearchType, &QPushButton::clicked, this, [this] { chooseMealType(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { saveTag(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { removeTag(); });
    connect(mshMealList, &FlexGrid::DblClick, this, [this] { removeTag(); });
    connect(mshMealList, &FlexGrid::Click, mshMealList, &FlexGrid::selectWholeRow);
    connect(cmdClear, &QPushButton::clicked, this, [this] { clearEntry(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { unload(); });
    connect(cmdBulkTag, &QPushButton::clicked, this, [this] {
        frmBulkMealTag::openChecked(m_context);
        // The employee shown may be among those just tagged.
        run([this] { LoadTaggedMeals(); });
    });

    // The key itself is never swallowed: the boxes see it as well.
    onEnter(txtMealDetails[0], [this] {
        if (searchKeysActive())
            openPersonnelPanel();
    });
    onEnter(txtEmpSearch, [this] {
        if (searchKeysActive())
            searchAgain();
    });
    onEnter(txtMealDetails[2], [this] { chooseMealType(); });
}

void frmEmployeeMealTag::Form_Load()
{
    setWindowWidthTwips(kTagPanelWidth);
    cmdBulkTag->setVisible(m_data.bulkTaggingOffered());
    if (strMode == ModeFromSettings) {
        txtMealDetails[0]->setReadOnly(false);
    } else {
        txtMealDetails[0]->setText(strEmpNumTagMeal);
        txtMealDetails[1]->setText(strEmpNameTagMeal);
        cmdSearchEmployee->hide();
    }
    run([this] { LoadTaggedMeals(); });
}

bool frmEmployeeMealTag::searchKeysActive() const
{
    return leadingNumber(strMode) == 1.0;
}

void frmEmployeeMealTag::setWindowWidthTwips(int width)
{
    setClientSizeTwips(width, kClientHeight);
}

void frmEmployeeMealTag::showPersonnelPanel()
{
    fraEmpList->move(Twips::toPixels(kPanelShownLeft), Twips::toPixels(kPanelTop));
}

void frmEmployeeMealTag::hidePersonnelPanel()
{
    fraEmpList->move(Twips::toPixels(kPersonnelParkedLeft), Twips::toPixels(kPanelTop));
    setWindowWidthTwips(kTagPanelWidth);
}

void frmEmployeeMealTag::run(const std::function<void()>& action)
{
    m_context.attempt(action);
}

void frmEmployeeMealTag::openPersonnelPanel()
{
    run([this] {
        showPersonnelPanel();
        txtEmpSearch->setText(txtMealDetails[0]->text());
        LoadPersonnelList();
    });
}

void frmEmployeeMealTag::searchAgain()
{
    txtMealDetails[0]->setText(txtEmpSearch->text());
    openPersonnelPanel();
}

void frmEmployeeMealTag::chooseEmployee()
{
    run([this] {
        const int row = mshEmpList->Row();
        txtMealDetails[0]->setText(mshEmpList->TextMatrix(row, EmpNumColumn));
        txtMealDetails[1]->setText(mshEmpList->TextMatrix(row, EmpNameColumn));
        LoadTaggedMeals();
        hidePersonnelPanel();
    });
}

void frmEmployeeMealTag::leavePanel()
{
    txtMealDetails[0]->clear();
    txtMealDetails[1]->clear();
    hidePersonnelPanel();
}

void frmEmployeeMealTag::chooseMealType()
{
    run([this] {
        frmSearcher& searcher = m_context.windows().get<frmSearcher>();
        searcher.strMode = frmSearcher::ModeActiveMealTypes;
        searcher.strSearchText = txtMealDetails[2]->text();
        searcher.showModal();
        // Copied whatever happened: a lookup closed without a choice empties both boxes.
        txtMealDetails[2]->setText(searcher.strDescription);
        txtMealDetails[3]->setText(searcher.strCode);

        // Only data rows count: the heading of the code column is not a meal type.
        bool alreadyTagged = false;
        for (int row = 1; row < mshMealList->Rows(); ++row) {
            if (mshMealList->TextMatrix(row, MealTypeCodeColumn) == txtMealDetails[3]->text())
                alreadyTagged = true;
        }
        if (!alreadyTagged)
            return;
        const bool hadDescription = !txtMealDetails[2]->text().isEmpty();
        // Without a description the entry cannot be saved a second time.
        txtMealDetails[2]->clear();
        if (hadDescription)
            m_context.messages().info(QStringLiteral("Meal Type already tagged."));
    });
}

void frmEmployeeMealTag::saveTag()
{
    run([this] {
        if (txtMealDetails[2]->text().isEmpty() || txtMealDetails[1]->text().isEmpty() ||
            txtMealDetails[0]->text().isEmpty()) {
            m_context.messages().info(QStringLiteral("Please Complete the details."));
            return;
        }
        m_data.saveTag(txtMealDetails[0]->text(), txtMealDetails[3]->text());
        m_context.messages().info(QStringLiteral("Done."));
        // The code stays; the emptied description keeps the same tag from being sent twice.
        txtMealDetails[2]->clear();
        LoadTaggedMeals();
    });
}

void frmEmployeeMealTag::removeTag()
{
    run([this] {
        if (!m_context.messages().ask(
                QStringLiteral("Are you sure you want to REMOVE the selected items?"),
                QStringLiteral("Confirmation")))
            return;
        const QString code = mshMealList->TextMatrix(mshMealList->Row(), MealTypeCodeColumn);
        m_data.removeTag(taggedEmployeeNumber(), code);
        m_context.messages().info(QStringLiteral("Done."));
        LoadTaggedMeals();
    });
}

void frmEmployeeMealTag::clearEntry()
{
    txtMealDetails[2]->clear();
}

QString frmEmployeeMealTag::taggedEmployeeNumber() const
{
    return strMode == ModeFromCounter ? strEmpNumTagMeal : txtMealDetails[0]->text();
}

void frmEmployeeMealTag::LoadPersonnelList()
{
    layOutCodeList(*mshEmpList);
    const QString text = txtMealDetails[0]->text();
    mshEmpList->fillFrom([this, &text] { return m_data.personnel(text); }, false);
}

void frmEmployeeMealTag::LoadTaggedMeals()
{
    layOutCodeList(*mshMealList);
    const QString empNum = taggedEmployeeNumber();
    mshMealList->fillFrom([this, &empNum] { return m_data.taggedMeals(empNum); }, false);
}

void frmEmployeeMealTag::layOutCodeList(FlexGrid& grid)
{
    grid.layOut(QStringLiteral(" |<CODE |<DESCRIPTION"), 3, {0, 1500, 3500});
}
