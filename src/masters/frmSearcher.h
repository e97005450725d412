#pragma once

#include "widgets/ModalForm.h"

class AppContext;

// The one lookup dialog of the program (caption "Search"). Openers set the input
// fields, call showModal(), and copy the output fields whatever happened.
class frmSearcher : public ModalForm
{
    Q_OBJECT

public:
    explicit frmSearcher(AppContext& context);

    // In: "1" allowed meals, "2" meals, "3" meal types with status test, "4" all types.
    QString strMode;
    QString strSearchText;
    // Out: cleared at every opening, set by a double-click choice.
    QString strCode;
    QString strDescription;
    QString strCost;
    QString strType;
    // In, mode "1" only.
    QString strEmpNumSearch;
    // Out.
    bool blnStatus = false;

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    AppContext& m_context;
};
