#pragma once

#include "widgets/ModalForm.h"

class AppContext;

// Meal tagging ("Meal Tag"): which meal types an employee may receive.
class frmEmployeeMealTag : public ModalForm
{
    Q_OBJECT

public:
    explicit frmEmployeeMealTag(AppContext& context);

    // "1" from Settings (search offered), "0" from the meal counter's pop-up menu.
    QString strMode;
    QString strEmpNumTagMeal;
    QString strEmpNameTagMeal;

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    AppContext& m_context;
};
