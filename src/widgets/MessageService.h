#pragma once

#include <QString>

class DbError;

// Every message box of the program goes through here, so tests can read what the
// user was told and answer questions without a nested event loop.
class MessageService
{
public:
    virtual ~MessageService() = default;

    // Information icon, one OK button, the application's title.
    virtual void info(const QString& text) = 0;
    // Question icon, Yes and No; true only for Yes.
    virtual bool ask(const QString& text, const QString& title) = 0;
    // The same question with No as the default button, where Enter must not do what
    // cannot be undone. A service without default buttons asks it as any other.
    virtual bool askDefaultNo(const QString& text, const QString& title)
    {
        return ask(text, title);
    }
    // A failed database call, under the application's title: a refusal by the server
    // as its text alone with the warning icon; any other error with its number and
    // text and the critical icon.
    virtual void error(const DbError& error) = 0;

    // The text a database error is shown with: the refusal's own text, or
    // "Error <number>: <text>".
    static QString errorText(const DbError& error);

    static QString applicationTitle() { return QStringLiteral("Talodesk"); }
};
