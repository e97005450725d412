#pragma once

#include "HistoryData.h"
#include "widgets/ModalForm.h"

class AppContext;
class FlexGrid;

// The employee look-up of the history's employee filter: lists everyone whose number
// equals the text or whose last name begins with it (inactive employees too, since
// their meals stay in the history); a double-click chooses. Closed without a choice,
// the chosen fields are empty.
class frmEmployeeLookup : public ModalForm
{
    Q_OBJECT

public:
    explicit frmEmployeeLookup(AppContext& context);

    // Set by the opener.
    QString strSearchText;
    // The choice.
    QString strEmpNum;
    QString strEmpName;

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private slots:
    void mshEmployees_DblClick();

private:
    AppContext& m_context;
    HistoryData m_data;
    FlexGrid* mshEmployees = nullptr;
};
