#pragma once

#include "access/UsersData.h"
#include "user/PasswordRule.h"
#include "widgets/ModalForm.h"

class AppContext;
class FlexGrid;
class QCheckBox;
class QLineEdit;
class QPushButton;

// Users: the password register of the people who may sign in. Lists them, adds a person
// (names taken from the personnel master when the person is there), sets or resets a
// password, grants or withdraws the use of this program and deactivates. The rights
// themselves stay in User Access. A password is hashed here and leaves only as its hash.
class frmUsers : public ModalForm
{
    Q_OBJECT

public:
    explicit frmUsers(AppContext& context);

    static constexpr int minimumPasswordLength = PasswordRule::MinimumLength;

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    void createList(QWidget* surface);
    void createDetails(QWidget* surface);
    void connectControls();

    void LoadUsers();
    void chooseUser();
    void newUser();
    // Highlights the person the form shows, or nobody for a new one.
    void showChosenRow();
    // Whether the person already has a password stored.
    bool hasStoredPassword(const QString& staffId);
    void fromPersonnel();
    void saveUser();
    // The password typed twice, checked; empty when none is to be set. False: refused.
    bool typedPassword(QString& password);

    AppContext& m_context;
    UsersData m_data;

    QLineEdit* txtSearch = nullptr;
    QPushButton* cmdSearch = nullptr;
    FlexGrid* mshUsers = nullptr;
    QLineEdit* txtStaffID = nullptr;
    QPushButton* cmdFromPersonnel = nullptr;
    QLineEdit* txtLastname = nullptr;
    QLineEdit* txtFirstname = nullptr;
    QLineEdit* txtMiddlename = nullptr;
    QCheckBox* chkAccess = nullptr;
    QCheckBox* chkActive = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtConfirm = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
};
