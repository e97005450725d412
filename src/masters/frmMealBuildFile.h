#pragma once

#include "lookup/frmSearcher.h"
#include "masters/MasterBuildForm.h"

#include <array>

// The meal master ("Create/Edit Meals"): creates a meal or edits one fetched through
// the lookup dialog; every save is one call of the meal save procedure. Beyond the
// shared master, a meal has a type (with its own lookup button) and a cost.
class frmMealBuildFile : public MasterBuildForm
{
    Q_OBJECT

public:
    explicit frmMealBuildFile(AppContext& context);

    // 0 code, 1 name, 2 meal type code, 3 cost.
    std::array<QLineEdit*, 4> txtMealDetails{};
    // 0 "Name:", 1 "Type:", 2 "Code:", 3 "Cost:".
    std::array<QLabel*, 4> lblCode{};
    QPushButton* cmdSearchType = nullptr;

protected:
    void createDetails(QGroupBox* frame) override;
    QList<QLineEdit*> detailBoxes() const override;
    QList<QWidget*> createExtraButtons(QGroupBox* frame) override;
    QString lookupMode() const override { return frmSearcher::ModeMeals; }
    void takeLookupExtras(const frmSearcher& searcher) override;
    void saveDetails() override;
    void enterPressed(QObject* watched) override;

private:
    void cmdSearchType_Click();
};
