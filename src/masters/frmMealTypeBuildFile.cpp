#include "frmMealTypeBuildFile.h"

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

frmMealTypeBuildFile::frmMealTypeBuildFile(AppContext& context)
    : ModalForm(context.modal()), m_context(context)
{
    setObjectName(QStringLiteral("frmMealTypeBuildFile"));
    setWindowTitle(QStringLiteral("Form1"));
    setClientSizeTwips(5595, 2955);
}

void frmMealTypeBuildFile::createControls(QWidget* surface)
{
    fraSearch = makeFrame(surface, QStringLiteral("fraSearch"));
    Twips::place(fraSearch, 30, 30, 5535, 765);
    txtMealSearch = makeTextBox(fraSearch, QStringLiteral("txtMealSearch"));
    Twips::place(txtMealSearch, 120, 120, 4005, 500);
    cmdMealSearch =
        makeButton(fraSearch, QStringLiteral("cmdMealSearch"), QStringLiteral("Search"));
    Twips::place(cmdMealSearch, 4200, 120, 1215, 495);

    Frame1 = makeFrame(surface, QStringLiteral("Frame1"));
    Twips::place(Frame1, 30, 840, 5535, 2085);
    for (int i = 0; i < int(txtMealDetails.size()); ++i)
        txtMealDetails[i] = makeTextBox(Frame1, QStringLiteral("txtMealDetails(%1)").arg(i));
    lblCode[0] = makeLabel(Frame1, QStringLiteral("lblCode(0)"), QStringLiteral("Name:"));
    lblCode[2] = makeLabel(Frame1, QStringLiteral("lblCode(2)"), QStringLiteral("Code:"));
    chkStatus = new QCheckBox(QStringLiteral("Active"), Frame1);
    chkStatus->setObjectName(QStringLiteral("chkStatus"));
    cmdSave = makeButton(Frame1, QStringLiteral("cmdSave"), QStringLiteral("Save"));
    cmdClose = makeButton(Frame1, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    cmdClear = makeButton(Frame1, QStringLiteral("cmdClear"), QStringLiteral("Clear"));

    Twips::place(txtMealDetails[0], 960, 120, 3165, 500);
    Twips::place(lblCode[2], 120, 240, 855, 375);
    Twips::place(chkStatus, 4320, 120, 1215, 495);
    Twips::place(txtMealDetails[1], 960, 720, 4485, 500);
    Twips::place(lblCode[0], 120, 840, 855, 375);
    Twips::place(cmdSave, 2880, 1440, 1215, 495);
    Twips::place(cmdClose, 4200, 1440, 1215, 495);
    Twips::place(cmdClear, 120, 1440, 1215, 495);

    const QList<QWidget*> tabOrder{txtMealSearch,     cmdMealSearch, txtMealDetails[0], chkStatus,
                                   txtMealDetails[1], cmdSave,       cmdClose,          cmdClear};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(cmdMealSearch, &QPushButton::clicked, this, &frmMealTypeBuildFile::cmdMealSearch_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMealTypeBuildFile::cmdSave_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmMealTypeBuildFile::cmdClear_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmMealTypeBuildFile::cmdClose_Click);

    txtMealSearch->installEventFilter(this);
}

void frmMealTypeBuildFile::Form_Load()
{
    // A new meal type is meant to be used, so the window opens with "Active" ticked.
    chkStatus->setChecked(true);
    // The boxes open empty and unlocked, so an edit left over from the last opening
    // would ask for confirmation and save over a type nobody can see any more.
    blnEditMode = false;
}

bool frmMealTypeBuildFile::eventFilter(QObject* watched, QEvent* event)
{
    // Only the search box reacts to Enter, and the key still reaches it afterwards.
    if (watched == txtMealSearch && isEnter(event))
        cmdMealSearch_Click();
    return ModalForm::eventFilter(watched, event);
}

void frmMealTypeBuildFile::cmdMealSearch_Click()
{
    m_context.attempt([this] {
        frmSearcher& searcher = m_context.windows().get<frmSearcher>();
        searcher.strMode = QStringLiteral("4");
        searcher.strSearchText = txtMealSearch->text();
        searcher.showModal();

        // A lookup closed without a choice hands back empty values: they are copied too.
        txtMealDetails[0]->setText(searcher.strCode);
        txtMealDetails[1]->setText(searcher.strDescription);
        chkStatus->setChecked(searcher.blnStatus);

        blnEditMode = false;
        if (!txtMealDetails[0]->text().isEmpty()) {
            txtMealDetails[0]->setReadOnly(true);
            blnEditMode = true;
        }
    });
}

void frmMealTypeBuildFile::cmdSave_Click()
{
    if (txtMealDetails[0]->text().isEmpty() && txtMealDetails[1]->text().isEmpty()) {
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
        MealMasterData(m_context).saveMealType(txtMealDetails[0]->text(), txtMealDetails[1]->text(),
                                               chkStatus->isChecked());
    });
    if (!saved)
        return;
    m_context.messages().info(QStringLiteral("Done."));
    ClearDetails();
}

void frmMealTypeBuildFile::cmdClear_Click()
{
    ClearDetails();
}

void frmMealTypeBuildFile::cmdClose_Click()
{
    unload();
}

void frmMealTypeBuildFile::ClearDetails()
{
    for (QLineEdit* box : txtMealDetails)
        box->clear();
    txtMealDetails[0]->setReadOnly(false);
    blnEditMode = false;
}
