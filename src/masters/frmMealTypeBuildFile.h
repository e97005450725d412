#pragma once

#include "lookup/frmSearcher.h"
#include "masters/MasterBuildForm.h"

#include <array>

// The meal type master (caption "Form1"): creates a meal type or edits one fetched
// through the lookup dialog; every save is one call of the meal type save procedure.
class frmMealTypeBuildFile : public MasterBuildForm
{
    Q_OBJECT

public:
    explicit frmMealTypeBuildFile(AppContext& context);

    // 0 code, 1 name.
    std::array<QLineEdit*, 2> txtMealDetails{};
    // 0 "Name:", 1 unused, 2 "Code:" (the indexes the labels carry in the window).
    std::array<QLabel*, 3> lblCode{};

protected:
    void createDetails(QGroupBox* frame) override;
    QList<QLineEdit*> detailBoxes() const override;
    QString lookupMode() const override { return frmSearcher::ModeMealTypes; }
    void saveDetails() override;
};
