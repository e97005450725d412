#include "frmMealBuildFile.h"

#include "context/AppContext.h"
#include "context/WindowRegistry.h"
#include "data/ColumnLengths.h"
#include "lookup/frmSearcher.h"
#include "masters/MealMasterData.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmMealBuildFile::frmMealBuildFile(AppContext& context)
    : MasterBuildForm(context, QStringLiteral("frmMealBuildFile"),
                      QStringLiteral("Create/Edit Meals"), {3570, 2685, 2040})
{}

void frmMealBuildFile::createDetails(QGroupBox* frame)
{
    makeDetailBoxes(frame, txtMealDetails);
    createCodeAndName(frame, lblCode[2], lblCode[0]);
    lblCode[1] =
        FormControls::label(frame, FormControls::indexed("lblCode", 1), QStringLiteral("Type:"));
    lblCode[3] =
        FormControls::label(frame, FormControls::indexed("lblCode", 3), QStringLiteral("Cost:"));
    txtMealDetails[2]->setMaxLength(ColumnLengths::Code);
    txtMealDetails[3]->setMaxLength(ColumnLengths::Cost);
    Twips::place(txtMealDetails[2], 960, 1320, 1245, 500);
    Twips::place(lblCode[1], 120, 1440, 855, 375);
    Twips::place(txtMealDetails[3], 3600, 1320, 1845, 500);
    Twips::place(lblCode[3], 2880, 1440, 735, 375);
}

QList<QLineEdit*> frmMealBuildFile::detailBoxes() const
{
    return QList<QLineEdit*>(txtMealDetails.begin(), txtMealDetails.end());
}

QList<QWidget*> frmMealBuildFile::createExtraButtons(QGroupBox* frame)
{
    cmdSearchType = FormControls::pictureButton(frame, QStringLiteral("cmdSearchType"));
    Twips::place(cmdSearchType, 2280, 1320, 495, 495);
    connect(cmdSearchType, &QPushButton::clicked, this, &frmMealBuildFile::cmdSearchType_Click);
    return {cmdSearchType};
}

void frmMealBuildFile::takeLookupExtras(const frmSearcher& searcher)
{
    txtMealDetails[2]->setText(searcher.strType);
    txtMealDetails[3]->setText(searcher.strCost);
}

void frmMealBuildFile::saveDetails()
{
    MealMasterData(m_context).saveMeal(txtMealDetails[0]->text(), txtMealDetails[1]->text(),
                                       txtMealDetails[3]->text(), txtMealDetails[2]->text(),
                                       chkStatus->isChecked());
}

void frmMealBuildFile::enterPressed(QObject* watched)
{
    if (watched == txtMealDetails[2])
        cmdSearchType_Click();
    else if (watched == chkStatus)
        chkStatus->setChecked(!chkStatus->isChecked());
}

void frmMealBuildFile::cmdSearchType_Click()
{
    m_context.attempt([this] {
        frmSearcher& searcher = m_context.windows().get<frmSearcher>();
        searcher.strMode = frmSearcher::ModeActiveMealTypes;
        searcher.strSearchText = txtMealDetails[2]->text();
        searcher.showModal();
        txtMealDetails[2]->setText(searcher.strCode);
    });
}
