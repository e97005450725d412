#pragma once

#include "widgets/ModalForm.h"

class AppContext;

// User access ("User Access"): granting rights to staff.
class frmAccess : public ModalForm
{
    Q_OBJECT

public:
    explicit frmAccess(AppContext& context);

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    AppContext& m_context;
};
