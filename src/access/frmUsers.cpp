#include "frmUsers.h"

#include "context/AppContext.h"
#include "user/PasswordHash.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int clientWidth = 9600;
constexpr int clientHeight = 7050;

// Columns of the list (column 0 is the blank fixed column).
constexpr int staffCol = 1;
constexpr int accessCol = 3;
constexpr int activeCol = 4;
constexpr int lastCol = 6;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width = 1150)
{
    QPushButton* widget = FormControls::button(parent, QLatin1String(name), caption);
    Twips::place(widget, left, top, width, 375);
    return widget;
}

QLineEdit* box(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    QLabel* label =
        FormControls::label(parent, QStringLiteral("lbl") + QLatin1String(name + 3), caption);
    Twips::place(label, left, top + 30, 1300, 315);
    QLineEdit* edit = FormControls::textBox(parent, QLatin1String(name));
    Twips::place(edit, left + 1380, top, 2700, 375);
    return edit;
}

} // namespace

frmUsers::frmUsers(AppContext& context)
    : ModalForm(context.modal()), m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmUsers"));
    setWindowTitle(QStringLiteral("Users"));
}

void frmUsers::createControls(QWidget* surface)
{
    setClientSizeTwips(clientWidth, clientHeight);
    createList(surface);
    createDetails(surface);
    FormControls::fitCaptions(surface);
    connectControls();
}

void frmUsers::createList(QWidget* surface)
{
    QLabel* label = FormControls::label(surface, QStringLiteral("lblSearch"),
                                        QStringLiteral("Staff ID or last name:"));
    Twips::place(label, 120, 150, 1900, 315);
    txtSearch = FormControls::textBox(surface, QStringLiteral("txtSearch"));
    Twips::place(txtSearch, 2050, 120, 3000, 375);
    cmdSearch = button(surface, "cmdSearch", QStringLiteral("Search"), 5150, 120);
    mshUsers =
        FormControls::control<FlexGrid>(surface, QStringLiteral("mshUsers"), 120, 600, 9360, 3300);
}

void frmUsers::createDetails(QWidget* surface)
{
    txtStaffID = box(surface, "txtStaffID", QStringLiteral("Staff ID:"), 120, 4050);
    cmdFromPersonnel =
        button(surface, "cmdFromPersonnel", QStringLiteral("From Personnel"), 4400, 4050, 1700);
    txtLastname = box(surface, "txtLastname", QStringLiteral("Last name:"), 120, 4500);
    txtFirstname = box(surface, "txtFirstname", QStringLiteral("First name:"), 4400, 4500);
    txtMiddlename = box(surface, "txtMiddlename", QStringLiteral("Middle name:"), 120, 4950);
    chkAccess = FormControls::control<QCheckBox>(surface, QStringLiteral("chkAccess"), 4400, 4980,
                                                 2500, 315);
    chkAccess->setText(QStringLiteral("May use Talodesk"));
    chkActive = FormControls::control<QCheckBox>(surface, QStringLiteral("chkActive"), 7000, 4980,
                                                 1500, 315);
    chkActive->setText(QStringLiteral("Active"));
    txtPassword = box(surface, "txtPassword", QStringLiteral("New password:"), 120, 5400);
    txtConfirm = box(surface, "txtConfirm", QStringLiteral("Type it again:"), 4400, 5400);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtConfirm->setEchoMode(QLineEdit::Password);
    QLabel* note = FormControls::label(
        surface, QStringLiteral("lblPasswordNote"),
        QStringLiteral("At least %1 characters. Leave both empty to keep the password.")
            .arg(minimumPasswordLength));
    Twips::place(note, 120, 5850, 8000, 315);
    cmdNew = button(surface, "cmdNew", QStringLiteral("New"), 5660, 6450);
    cmdSave = button(surface, "cmdSave", QStringLiteral("Save"), 6900, 6450);
    cmdClose = button(surface, "cmdClose", QStringLiteral("Close"), 8140, 6450);
}

void frmUsers::connectControls()
{
    const auto guarded = [this](void (frmUsers::*action)()) {
        return [this, action] { m_context.attempt([this, action] { (this->*action)(); }); };
    };
    connect(cmdSearch, &QPushButton::clicked, this, guarded(&frmUsers::LoadUsers));
    FormControls::onEnter(txtSearch, guarded(&frmUsers::LoadUsers));
    connect(mshUsers, &FlexGrid::Click, this, [this] { chooseUser(); });
    connect(cmdFromPersonnel, &QPushButton::clicked, this, guarded(&frmUsers::fromPersonnel));
    connect(cmdNew, &QPushButton::clicked, this, [this] { newUser(); });
    connect(cmdSave, &QPushButton::clicked, this, guarded(&frmUsers::saveUser));
    connect(cmdClose, &QPushButton::clicked, this, [this] { unload(); });
}

void frmUsers::Form_Load()
{
    newUser();
    m_context.attempt([this] { LoadUsers(); });
}

void frmUsers::LoadUsers()
{
    mshUsers->layOut(
        QStringLiteral(" |<STAFF ID |<NAME |^ACCESS |^ACTIVE |^PASSWORD |LASTNAME |FIRSTNAME "
                       "|MIDDLENAME"),
        9, {0, 1300, 4500, 1100, 1000, 1200, 0, 0, 0});
    mshUsers->fillFrom([this] { return m_data.users(txtSearch->text()); }, false);
    showChosenRow();
}

void frmUsers::showChosenRow()
{
    const QString shown = txtStaffID->isReadOnly() ? txtStaffID->text().trimmed() : QString();
    for (int row = 1; !shown.isEmpty() && row < mshUsers->Rows(); ++row) {
        if (mshUsers->TextMatrix(row, staffCol).compare(shown, Qt::CaseInsensitive) == 0) {
            mshUsers->setRow(row);
            return;
        }
    }
    // Row 0 is the header: no person highlighted.
    mshUsers->setRow(0);
}

bool frmUsers::hasStoredPassword(const QString& staffId)
{
    const Recordset people = m_data.users(staffId);
    for (int row = 0; row < people.recordCount(); ++row) {
        if (people.value(row, QStringLiteral("STAFF ID")).compare(staffId, Qt::CaseInsensitive) ==
            0)
            return people.value(row, QStringLiteral("PASSWORD")) == QLatin1String("Y");
    }
    return false;
}

void frmUsers::chooseUser()
{
    const int row = mshUsers->Row();
    const QString staffId = mshUsers->TextMatrix(row, staffCol);
    if (staffId.isEmpty())
        return;
    txtStaffID->setText(staffId);
    txtStaffID->setReadOnly(true);
    txtLastname->setText(mshUsers->TextMatrix(row, lastCol));
    txtFirstname->setText(mshUsers->TextMatrix(row, lastCol + 1));
    txtMiddlename->setText(mshUsers->TextMatrix(row, lastCol + 2));
    chkAccess->setChecked(mshUsers->TextMatrix(row, accessCol) == QLatin1String("Y"));
    chkActive->setChecked(mshUsers->TextMatrix(row, activeCol) == QLatin1String("Y"));
    txtPassword->clear();
    txtConfirm->clear();
}

void frmUsers::newUser()
{
    for (QLineEdit* edit :
         {txtStaffID, txtLastname, txtFirstname, txtMiddlename, txtPassword, txtConfirm})
        edit->clear();
    txtStaffID->setReadOnly(false);
    chkAccess->setChecked(true);
    chkActive->setChecked(true);
    showChosenRow();
}

void frmUsers::fromPersonnel()
{
    const QString staffId = txtStaffID->text().trimmed();
    const Recordset found = m_data.employee(staffId);
    if (found.recordCount() == 0) {
        m_context.messages().info(
            QStringLiteral("No employee %1 in the personnel master.").arg(staffId));
        return;
    }
    txtLastname->setText(found.value(0, 0));
    txtFirstname->setText(found.value(0, 1));
    txtMiddlename->setText(found.value(0, 2));
}

bool frmUsers::typedPassword(QString& password)
{
    password = txtPassword->text();
    if (password.isEmpty() && txtConfirm->text().isEmpty())
        return true;
    if (password != txtConfirm->text()) {
        m_context.messages().info(QStringLiteral("The two passwords are not the same."));
        return false;
    }
    if (const QString fault = PasswordRule::fault(password); !fault.isEmpty()) {
        m_context.messages().info(fault);
        return false;
    }
    return true;
}

void frmUsers::saveUser()
{
    const QString staffId = txtStaffID->text().trimmed();
    if (staffId.isEmpty() || txtLastname->text().trimmed().isEmpty()) {
        m_context.messages().info(QStringLiteral("Please Complete the details."));
        return;
    }
    QString password;
    if (!typedPassword(password))
        return;
    // Access without a password lets nobody in while the list says "may use Talodesk":
    // refused for an active person, so that such a user is never saved without a word.
    if (chkAccess->isChecked() && chkActive->isChecked() && password.isEmpty() &&
        !hasStoredPassword(staffId)) {
        m_context.messages().info(
            QStringLiteral("%1 has no password: type one to let %1 use Talodesk, or untick "
                           "\"May use Talodesk\".")
                .arg(staffId));
        txtPassword->setFocus();
        return;
    }
    QString hash;
    if (!password.isEmpty()) {
        hash = PasswordHash::make(password);
        if (hash.isEmpty()) {
            m_context.messages().info(QStringLiteral("The password could not be hashed."));
            return;
        }
    }
    m_context.transaction([&] {
        m_data.saveUser(staffId, txtLastname->text(), txtFirstname->text(), txtMiddlename->text());
        if (!hash.isEmpty())
            m_data.setPasswordHash(staffId, hash);
        m_data.setAccess(staffId, chkAccess->isChecked(), chkActive->isChecked());
    });
    txtPassword->clear();
    txtConfirm->clear();
    txtStaffID->setReadOnly(true);
    m_context.messages().info(QStringLiteral("Done."));
    LoadUsers();
}
