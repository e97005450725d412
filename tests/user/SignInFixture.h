#pragma once

// What the sign-in tests share: a store in a temporary folder, the real user object over
// it with every statement recorded, and scripted dialogs and messages.

#include "data/DbError.h"
#include "data/RecordingConnection.h"
#include "data/SqlText.h"
#include "server/EmbeddedConnection.h"
#include "support/ScriptedMessageService.h"
#include "support/ScriptedModalRunner.h"
#include "user/EmbeddedDatabaseOpener.h"
#include "user/PasswordHash.h"
#include "user/PasswordRegister.h"
#include "user/clsCurrentUser.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

namespace signin_test {

inline QString lit(const QString& value)
{
    return QLatin1Char('\'') + SqlText::quote(value) + QLatin1Char('\'');
}

// The real embedded opener, with every statement the user object sends recorded.
class RecordingOpener : public EmbeddedDatabaseOpener
{
public:
    using EmbeddedDatabaseOpener::EmbeddedDatabaseOpener;

    std::unique_ptr<Connection> open(const QString& login, const QString& password) override
    {
        ++opens;
        if (failOpen)
            throw DbError(14, QStringLiteral("unable to open database file"));
        m_inner.push_back(EmbeddedDatabaseOpener::open(login, password));
        auto recording = std::make_unique<RecordingConnection>(*m_inner.back());
        recorder = recording.get();
        return recording;
    }
    EmbeddedConnection& native() { return store(); }

    RecordingConnection* recorder = nullptr;
    int opens = 0;
    bool failOpen = false;

private:
    std::vector<std::unique_ptr<Connection>> m_inner;
};

// A store in a temporary folder, the user object over it, and scripted dialogs.
struct Fixture
{
    Fixture() : opener(dir.path())
    {
        user = std::make_unique<clsCurrentUser>(opener, modal, messages);
        user->setPasswordDeptCode(QStringLiteral("TALO"));
        // Creates the empty store so that tests can seed it before ShowMain.
        EmbeddedConnection created(dir.path());
    }

    void sqlite(const QString& sql)
    {
        EmbeddedConnection store(dir.path());
        store.nativeExecute(sql);
    }
    QString scalar(const QString& sql)
    {
        EmbeddedConnection store(dir.path());
        return store.nativeQuery(sql).value(0, 0);
    }
    void addPerson(const QString& id, const QString& last, const QString& first,
                   const QString& password, const QString& appCode = QStringLiteral("TALO"),
                   bool active = true)
    {
        sqlite(QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                              "Firstname, Middlename, PasswordHash, Active) "
                              "VALUES(%1, %2, %3, '', %4, %5)")
                   .arg(lit(id), lit(last), lit(first), lit(PasswordHash::make(password)),
                        active ? QStringLiteral("'1'") : QStringLiteral("'0'")));
        if (!appCode.isEmpty())
            sqlite(QStringLiteral("INSERT INTO Password.tbPasswordAppAccess(EmployeeID, AppCode) "
                                  "VALUES(%1, %2)")
                       .arg(lit(id), lit(appCode)));
    }

    QTemporaryDir dir;
    RecordingOpener opener;
    ScriptedModalRunner modal;
    ScriptedMessageService messages;
    std::unique_ptr<clsCurrentUser> user;
};

template <typename T> T* child(QDialog& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s in %s", name, qPrintable(dialog.objectName()));
    return found;
}

inline void typeSignIn(QDialog& dialog, const QString& id, const QString& password)
{
    child<QLineEdit>(dialog, "txtStaffID")->setText(id);
    child<QLineEdit>(dialog, "txtPassword")->setText(password);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
}

inline bool connected(const UserObject& user)
{
    const QVariant value = user.Connected();
    return value.isValid() && value.toBool();
}

} // namespace signin_test
