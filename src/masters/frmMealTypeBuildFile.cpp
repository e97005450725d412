#include "frmMealTypeBuildFile.h"

#include "masters/MealMasterData.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

frmMealTypeBuildFile::frmMealTypeBuildFile(AppContext& context)
    : MasterBuildForm(context, QStringLiteral("frmMealTypeBuildFile"), QStringLiteral("Form1"),
                      {2955, 2085, 1440})
{}

void frmMealTypeBuildFile::createDetails(QGroupBox* frame)
{
    makeDetailBoxes(frame, txtMealDetails);
    createCodeAndName(frame, lblCode[2], lblCode[0]);
}

QList<QLineEdit*> frmMealTypeBuildFile::detailBoxes() const
{
    return QList<QLineEdit*>(txtMealDetails.begin(), txtMealDetails.end());
}

void frmMealTypeBuildFile::saveDetails()
{
    MealMasterData(m_context).saveMealType(txtMealDetails[0]->text(), txtMealDetails[1]->text(),
                                           chkStatus->isChecked());
}
