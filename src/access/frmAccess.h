#pragma once

#include "access/AccessData.h"
#include "widgets/ModalForm.h"

class AppContext;
class FlexGrid;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// User access ("User Access"): granting rights to staff. Two panels of equal size share
// the visible area: the rights panel (fraSearch) shows and edits the chosen person's
// rights; the personnel panel (fraEmpList) slides over it to find that person.
class frmAccess : public ModalForm
{
    Q_OBJECT

public:
    explicit frmAccess(AppContext& context);

    // Left edge, in twips, of the personnel panel when shown and when put aside.
    static constexpr int empListShownLeft = 30;
    static constexpr int empListHiddenLeft = 4920;
    // The window's width, in twips, whenever the rights panel alone is meant to show.
    static constexpr int formWidth = 4875;

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    void createRightsPanel(QWidget* surface);
    void createPersonnelPanel(QWidget* surface);
    void connectControls();

    // Personnel panel.
    void openSearch();
    void SearchPersonnel();
    void choosePerson();
    void cancelSearch();
    void moveEmpList(int leftTwips);
    void setFormWidth();

    // Rights panel.
    void LoadAccessList();
    void LoadUserRights();
    void ShowRightsInGrid(bool show);
    void toggleAccess();
    void saveRights();

    AppContext& m_context;
    AccessData m_data;

    QFrame* fraSearch = nullptr;
    QLineEdit* txtSearchEntry = nullptr;
    QPushButton* cmdSearch = nullptr;
    QLabel* lblEmpName = nullptr;
    FlexGrid* mshSearchAccess = nullptr;
    QLabel* lblAccess = nullptr;
    QLabel* lblEmpNum = nullptr;
    QLabel* lblRights = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancelRights = nullptr;

    QFrame* fraEmpList = nullptr;
    QLabel* lblCode = nullptr;
    QLineEdit* txtEmpSearch = nullptr;
    QPushButton* cmdSearchEmp2 = nullptr;
    FlexGrid* mshEmpList = nullptr;
    QPushButton* cmdSelect = nullptr;
    QPushButton* cmdCancel = nullptr;
};
