#pragma once

#include "widgets/ModalForm.h"

class AppContext;

// The meal master ("Create/Edit Meals").
class frmMealBuildFile : public ModalForm
{
    Q_OBJECT

public:
    explicit frmMealBuildFile(AppContext& context);

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    AppContext& m_context;
    bool blnEditMode = false;
};
