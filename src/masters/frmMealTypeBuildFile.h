#pragma once

#include "widgets/ModalForm.h"

class AppContext;

// The meal type master (caption "Form1").
class frmMealTypeBuildFile : public ModalForm
{
    Q_OBJECT

public:
    explicit frmMealTypeBuildFile(AppContext& context);

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    AppContext& m_context;
    bool blnEditMode = false;
};
