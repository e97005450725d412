#pragma once

#include "widgets/MessageService.h"

#include <QList>
#include <QQueue>
#include <QString>

// Records every message the program shows and answers its questions from a queue.
// A question with no scripted answer is answered No and flagged as unexpected.
class ScriptedMessageService : public MessageService
{
public:
    enum class Kind
    {
        Info,
        Question,
        Error
    };
    struct Message
    {
        Kind kind;
        QString text;
        QString title;
        int errorNumber = 0;
        // For errors: the text the user is shown, and whether it is a warning (a
        // refusal) rather than a fault.
        QString shown;
        bool warning = false;
        // For questions: whether No is the default button.
        bool noByDefault = false;
    };

    void info(const QString& text) override;
    bool ask(const QString& text, const QString& title) override;
    bool askDefaultNo(const QString& text, const QString& title) override;
    void error(const DbError& error) override;

    void answerNext(bool yes) { m_answers.enqueue(yes); }
    const QList<Message>& messages() const { return m_messages; }
    QStringList texts() const;
    // The texts of the information messages only.
    QStringList infos() const;
    QList<Message> errors() const;
    int unansweredQuestions() const { return m_unanswered; }
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

private:
    bool answer(const Message& question);
    QList<Message> m_messages;
    QQueue<bool> m_answers;
    int m_unanswered = 0;
};
