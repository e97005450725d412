#pragma once

#include <QWidget>

class AppContext;

// The meal counter ("List of Employees"): the clerk's working window, shown as the
// main window's one modeless child.
class frmEmployeeList : public QWidget
{
    Q_OBJECT

public:
    explicit frmEmployeeList(AppContext& context);

    // The window's Load: fills the employee list with an empty search, browse mode.
    void Form_Load();

    // The employee of the last Click or DblClick on the list.
    QString strEmpNum;
    QString strEmpCol3;

private:
    AppContext& m_context;
};
