#include "MasterBuildForm.h"

#include "context/AppContext.h"
#include "context/WindowRegistry.h"
#include "data/ColumnLengths.h"
#include "lookup/frmSearcher.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace FormControls;

MasterBuildForm::MasterBuildForm(AppContext& context, const QString& objectName,
                                 const QString& title, const Shape& shape)
    : ModalForm(context.modal()), m_context(context), m_shape(shape)
{
    setObjectName(objectName);
    setWindowTitle(title);
    setClientSizeTwips(5595, shape.clientHeight);
}

void MasterBuildForm::createCodeAndName(QWidget* frame, QLabel*& codeLabel,
                                        QLabel*& nameLabel) const
{
    nameLabel = label(frame, indexed("lblCode", 0), QStringLiteral("Name:"));
    codeLabel = label(frame, indexed("lblCode", 2), QStringLiteral("Code:"));
    const QList<QLineEdit*> details = detailBoxes();
    details.at(0)->setMaxLength(ColumnLengths::Code);
    details.at(1)->setMaxLength(ColumnLengths::Description);
    Twips::place(details.at(0), 960, 120, 3165, 500);
    Twips::place(codeLabel, 120, 240, 855, 375);
    Twips::place(details.at(1), 960, 720, 4485, 500);
    Twips::place(nameLabel, 120, 840, 855, 375);
}

QList<QWidget*> MasterBuildForm::createExtraButtons(QGroupBox* /*frame*/)
{
    return {};
}

void MasterBuildForm::takeLookupExtras(const frmSearcher& /*searcher*/) {}

void MasterBuildForm::enterPressed(QObject* /*watched*/) {}

void MasterBuildForm::createControls(QWidget* surface)
{
    fraSearch = frame(surface, QStringLiteral("fraSearch"));
    Twips::place(fraSearch, 30, 30, 5535, 765);
    txtMealSearch = textBox(fraSearch, QStringLiteral("txtMealSearch"));
    txtMealSearch->setMaxLength(ColumnLengths::SearchText);
    Twips::place(txtMealSearch, 120, 120, 4005, 500);
    cmdMealSearch = button(fraSearch, QStringLiteral("cmdMealSearch"), QStringLiteral("Search"));
    Twips::place(cmdMealSearch, 4200, 120, 1215, 495);

    Frame1 = frame(surface, QStringLiteral("Frame1"));
    Twips::place(Frame1, 30, 840, 5535, m_shape.detailsHeight);
    createDetails(Frame1);
    fitCaptions(Frame1);
    chkStatus = new QCheckBox(QStringLiteral("Active"), Frame1);
    chkStatus->setObjectName(QStringLiteral("chkStatus"));
    cmdSave = button(Frame1, QStringLiteral("cmdSave"), QStringLiteral("Save"));
    cmdClose = button(Frame1, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    const QList<QWidget*> extraButtons = createExtraButtons(Frame1);
    cmdClear = button(Frame1, QStringLiteral("cmdClear"), QStringLiteral("Clear"));

    Twips::place(chkStatus, 4320, 120, 1215, 495);
    Twips::place(cmdSave, 2880, m_shape.buttonsTop, 1215, 495);
    Twips::place(cmdClose, 4200, m_shape.buttonsTop, 1215, 495);
    Twips::place(cmdClear, 120, m_shape.buttonsTop, 1215, 495);

    // The code box, then Active, then the other details; the window's own buttons come
    // between Close and Clear.
    const QList<QLineEdit*> details = detailBoxes();
    QList<QWidget*> tabOrder{txtMealSearch, cmdMealSearch, details.first(), chkStatus};
    for (int i = 1; i < details.size(); ++i)
        tabOrder.append(details.at(i));
    tabOrder << cmdSave << cmdClose << extraButtons << cmdClear;
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(cmdMealSearch, &QPushButton::clicked, this, &MasterBuildForm::cmdMealSearch_Click);
    connect(cmdSave, &QPushButton::clicked, this, &MasterBuildForm::cmdSave_Click);
    connect(cmdClear, &QPushButton::clicked, this, &MasterBuildForm::cmdClear_Click);
    connect(cmdClose, &QPushButton::clicked, this, &MasterBuildForm::cmdClose_Click);

    // The key still reaches the control afterwards: the action runs, nothing is eaten.
    onEnter(txtMealSearch, [this] { cmdMealSearch_Click(); });
    for (QLineEdit* box : details)
        onEnter(box, [this, box] { enterPressed(box); });
    onEnter(chkStatus, [this] { enterPressed(chkStatus); });
}

void MasterBuildForm::Form_Load()
{
    // A new entry is meant to be used, so the window opens with "Active" ticked.
    chkStatus->setChecked(true);
    // The boxes open empty and unlocked, so an edit left over from the last opening
    // would ask for confirmation and save over an entry nobody can see any more.
    blnEditMode = false;
}

void MasterBuildForm::cmdMealSearch_Click()
{
    m_context.attempt([this] {
        frmSearcher& searcher = m_context.windows().get<frmSearcher>();
        searcher.strMode = lookupMode();
        searcher.strSearchText = txtMealSearch->text();
        searcher.showModal();

        // A lookup closed without a choice hands back empty values: they are copied too.
        const QList<QLineEdit*> details = detailBoxes();
        details.at(0)->setText(searcher.strCode);
        details.at(1)->setText(searcher.strDescription);
        takeLookupExtras(searcher);
        chkStatus->setChecked(searcher.blnStatus);

        blnEditMode = false;
        if (!details.at(0)->text().isEmpty()) {
            details.at(0)->setReadOnly(true);
            blnEditMode = true;
        }
    });
}

void MasterBuildForm::cmdSave_Click()
{
    bool anyFilled = false;
    for (const QLineEdit* box : detailBoxes())
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
    if (!m_context.attempt([this] { saveDetails(); }))
        return;
    m_context.messages().info(QStringLiteral("Done."));
    ClearDetails();
}

void MasterBuildForm::cmdClear_Click()
{
    ClearDetails();
}

void MasterBuildForm::cmdClose_Click()
{
    unload();
}

void MasterBuildForm::ClearDetails()
{
    const QList<QLineEdit*> details = detailBoxes();
    for (QLineEdit* box : details)
        box->clear();
    details.at(0)->setReadOnly(false);
    blnEditMode = false;
}
