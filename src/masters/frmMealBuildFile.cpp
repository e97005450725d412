#include "frmMealBuildFile.h"

#include "masters/MealMasterData.h"
#include "masters/frmSearcher.h"
#include "shell/AppContext.h"
#include "shell/WindowRegistry.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

// Character code 13: Return or the keypad's Enter, without Ctrl or Alt.
bool isEnter(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter in a text box must never press a button behind the user's back.
    button->setAutoDefault(false);
    return button;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name)
{
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(name);
    return frame;
}

} // namespace

frmMealBuildFile::frmMealBuildFile(AppContext& context)
    : ModalForm(context.modal()), m_context(context)
{
    setObjectName(QStringLiteral("frmMealBuildFile"));
    setWindowTitle(QStringLiteral("Create/Edit Meals"));
    setClientSizeTwips(5595, 3570);
}

void frmMealBuildFile::createControls(QWidget* surface)
{
    fraSearch = makeFrame(surface, QStringLiteral("fraSearch"));
    Twips::place(fraSearch, 30, 30, 5535, 765);
    txtMealSearch = makeTextBox(fraSearch, QStringLiteral("txtMealSearch"));
    Twips::place(txtMealSearch, 120, 120, 4005, 500);
    cmdMealSearch =
        makeButton(fraSearch, QStringLiteral("cmdMealSearch"), QStringLiteral("Search"));
    Twips::place(cmdMealSearch, 4200, 120, 1215, 495);

    Frame1 = makeFrame(surface, QStringLiteral("Frame1"));
    Twips::place(Frame1, 30, 840, 5535, 2685);
    for (int i = 0; i < int(txtMealDetails.size()); ++i)
        txtMealDetails[i] = makeTextBox(Frame1, QStringLiteral("txtMealDetails(%1)").arg(i));
    lblCode[0] = makeLabel(Frame1, QStringLiteral("lblCode(0)"), QStringLiteral("Name:"));
    lblCode[1] = makeLabel(Frame1, QStringLiteral("lblCode(1)"), QStringLiteral("Type:"));
    lblCode[2] = makeLabel(Frame1, QStringLiteral("lblCode(2)"), QStringLiteral("Code:"));
    lblCode[3] = makeLabel(Frame1, QStringLiteral("lblCode(3)"), QStringLiteral("Cost:"));
    chkStatus = new QCheckBox(QStringLiteral("Active"), Frame1);
    chkStatus->setObjectName(QStringLiteral("chkStatus"));
    cmdSave = makeButton(Frame1, QStringLiteral("cmdSave"), QStringLiteral("Save"));
    cmdClose = makeButton(Frame1, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    cmdSearchType = makeButton(Frame1, QStringLiteral("cmdSearchType"), QString());
    cmdSearchType->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    cmdClear = makeButton(Frame1, QStringLiteral("cmdClear"), QStringLiteral("Clear"));

    Twips::place(txtMealDetails[0], 960, 120, 3165, 500);
    Twips::place(lblCode[2], 120, 240, 855, 375);
    Twips::place(chkStatus, 4320, 120, 1215, 495);
    Twips::place(txtMealDetails[1], 960, 720, 4485, 500);
    Twips::place(lblCode[0], 120, 840, 855, 375);
    Twips::place(txtMealDetails[2], 960, 1320, 1245, 500);
    Twips::place(lblCode[1], 120, 1440, 855, 375);
    Twips::place(txtMealDetails[3], 3600, 1320, 1845, 500);
    Twips::place(lblCode[3], 2880, 1440, 735, 375);
    Twips::place(cmdSave, 2880, 2040, 1215, 495);
    Twips::place(cmdClose, 4200, 2040, 1215, 495);
    Twips::place(cmdSearchType, 2280, 1320, 495, 495);
    Twips::place(cmdClear, 120, 2040, 1215, 495);

    const QList<QWidget*> tabOrder{txtMealSearch,     cmdMealSearch,     txtMealDetails[0],
                                   chkStatus,         txtMealDetails[1], txtMealDetails[2],
                                   txtMealDetails[3], cmdSave,           cmdClose,
                                   cmdSearchType,     cmdClear};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(cmdMealSearch, &QPushButton::clicked, this, &frmMealBuildFile::cmdMealSearch_Click);
    connect(cmdSearchType, &QPushButton::clicked, this, &frmMealBuildFile::cmdSearchType_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMealBuildFile::cmdSave_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmMealBuildFile::cmdClear_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmMealBuildFile::cmdClose_Click);

    txtMealSearch->installEventFilter(this);
    for (QLineEdit* box : txtMealDetails)
        box->installEventFilter(this);
    chkStatus->installEventFilter(this);
}

void frmMealBuildFile::Form_Load()
{
    // A new meal is meant to be served, so the window opens with "Active" ticked.
    chkStatus->setChecked(true);
    // The boxes open empty and unlocked, so an edit left over from the last opening
    // would ask for confirmation and save over a meal nobody can see any more.
    blnEditMode = false;
}

bool frmMealBuildFile::eventFilter(QObject* watched, QEvent* event)
{
    // The key still reaches the control afterwards: the action runs, nothing is eaten.
    if (isEnter(event)) {
        if (watched == txtMealSearch)
            cmdMealSearch_Click();
        else if (watched == txtMealDetails[2])
            cmdSearchType_Click();
        else if (watched == chkStatus)
            chkStatus->setChecked(!chkStatus->isChecked());
    }
    return ModalForm::eventFilter(watched, event);
}

void frmMealBuildFile::cmdMealSearch_Click()
{
    m_context.attempt([this] {
        frmSearcher& searcher = m_context.windows().get<frmSearcher>();
        searcher.strMode = QStringLiteral("2");
        searcher.strSearchText = txtMealSearch->text();
        searcher.showModal();

        // A lookup closed without a choice hands back empty values: they are copied too.
        txtMealDetails[0]->setText(searcher.strCode);
        txtMealDetails[1]->setText(searcher.strDescription);
        txtMealDetails[2]->setText(searcher.strType);
        txtMealDetails[3]->setText(searcher.strCost);
        chkStatus->setChecked(searcher.blnStatus);

        blnEditMode = false;
        if (!txtMealDetails[0]->text().isEmpty()) {
            txtMealDetails[0]->setReadOnly(true);
            blnEditMode = true;
        }
    });
}

void frmMealBuildFile::cmdSearchType_Click()
{
    m_context.attempt([this] {
        frmSearcher& searcher = m_context.windows().get<frmSearcher>();
        searcher.strMode = QStringLiteral("3");
        searcher.strSearchText = txtMealDetails[2]->text();
        searcher.showModal();
        txtMealDetails[2]->setText(searcher.strCode);
    });
}

void frmMealBuildFile::cmdSave_Click()
{
    bool anyFilled = false;
    for (const QLineEdit* box : txtMealDetails)
        anyFilled = anyFilled || !box->text().isEmpty();
    if (!anyFilled) {
        m_context.messages().info(QStringLiteral("Please Complete the details."));
        return;
    }
    if (blnEditMode &&
        !m_context.messages().ask(
            QStringLiteral("Are you sure you want to EDIT/UPDATE the selected item?"),
            QStringLiteral("Confirmation")))
        return;

    // A refused save leaves everything as typed and reports nothing as done.
    const bool saved = m_context.attempt([this] {
        MealMasterData(m_context).saveMeal(txtMealDetails[0]->text(), txtMealDetails[1]->text(),
                                           txtMealDetails[3]->text(), txtMealDetails[2]->text(),
                                           chkStatus->isChecked());
    });
    if (!saved)
        return;
    m_context.messages().info(QStringLiteral("Done."));
    ClearDetails();
}

void frmMealBuildFile::cmdClear_Click()
{
    ClearDetails();
}

void frmMealBuildFile::cmdClose_Click()
{
    unload();
}

void frmMealBuildFile::ClearDetails()
{
    for (QLineEdit* box : txtMealDetails)
        box->clear();
    txtMealDetails[0]->setReadOnly(false);
    blnEditMode = false;
}
