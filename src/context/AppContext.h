#pragma once

#include "data/Recordset.h"

#include <QDateTime>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

struct AppSettings;
class Connection;
class MessageService;
class ModalRunner;
class UserObject;
class WindowRegistry;

// What every window shares, put in place by start-up: the user object, the shared
// connection, the server date, and the services for messages and modal windows.
// Windows receive it instead of reaching for globals.
class AppContext
{
public:
    AppContext(MessageService& messages, ModalRunner& modal);
    ~AppContext();

    // The user object (sign-in and connection) and the shared connection of writes.
    UserObject* objUser = nullptr;
    Connection* cnMain = nullptr;
    // The server's clock as last read (LoadServerDate). Starts at the zero date-time.
    QDateTime dtServerDate;
    // This workstation's own data folder (the counter's order journal); empty: the
    // application data folder of the signed-in Windows or desktop user.
    QString workstationFolder;
    // Today: the server's day once its clock has been read, else the workstation's.
    QDate today() const;
    // Takes a fresh reading of the server's clock and tells whoever shows it.
    void setServerDate(const QDateTime& value);
    // Called after each new reading (set by the main window, for its status bar).
    std::function<void(const QDateTime&)> serverDateChanged;

    // The signed-in user's code, as every save records it ("" before a sign-in).
    QString userCode() const;

    MessageService& messages() { return m_messages; }
    ModalRunner& modal() { return m_modal; }
    WindowRegistry& windows() { return *m_windows; }

    // Read sequence: a fresh snapshot over objUser->SQLConnection(). Throws DbError.
    Recordset open(const QString& sql);
    // Write sequence: one statement on cnMain. Throws DbError.
    void execute(const QString& sql);
    // Runs several writes on cnMain as one transaction: all or nothing. Throws DbError.
    void transaction(const std::function<void()>& work);

    // Runs one user action; a DbError stops it, is shown with its number and text, and
    // the program goes on. Returns false when the action failed.
    bool attempt(const std::function<void()>& action);

    // Shows a line about how the program works just now in the main window's status bar
    // ("" clears it). Set by the main window; does nothing before that.
    std::function<void(const QString&)> showStatusNote;
    void statusNote(const QString& text)
    {
        if (showStatusNote)
            showStatusNote(text);
    }

    // Shows a control in the main window's status bar that runs `action`, and the same
    // as an item of its File menu for the keyboard ("" hides both). Set by the main
    // window; does nothing before that.
    std::function<void(const QString&, const std::function<void()>&)> showStatusAction;
    void statusAction(const QString& text, const std::function<void()>& action = {})
    {
        if (showStatusAction)
            showStatusAction(text, action);
    }

    // Pops up the main window's hidden "Inquiry" menu at a screen position (set by the
    // main window; does nothing before that).
    std::function<void(const QPoint&)> popupInquiryMenu;

    // The site's settings this workstation just saved, for the windows that hold a copy
    // (the counter obeys them at once): App Settings tells them through the context
    // instead of reaching into each. A listener ends with its receiver.
    void onSettingsSaved(QObject* receiver, std::function<void(const AppSettings&)> listener);
    void settingsSaved(const AppSettings& settings);

    static QDateTime zeroDateTime();

private:
    MessageService& m_messages;
    ModalRunner& m_modal;
    std::unique_ptr<WindowRegistry> m_windows;
    struct SettingsListener
    {
        QPointer<QObject> receiver;
        std::function<void(const AppSettings&)> listener;
    };
    std::vector<SettingsListener> m_settingsListeners;
};
