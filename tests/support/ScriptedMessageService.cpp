#include "ScriptedMessageService.h"

#include "data/DbError.h"

void ScriptedMessageService::info(const QString& text)
{
    m_messages.append({Kind::Info, text, applicationTitle(), 0, {}, false, false});
}

bool ScriptedMessageService::ask(const QString& text, const QString& title)
{
    return answer({Kind::Question, text, title, 0, {}, false, false});
}

bool ScriptedMessageService::askDefaultNo(const QString& text, const QString& title)
{
    return answer({Kind::Question, text, title, 0, {}, false, true});
}

bool ScriptedMessageService::answer(const Message& question)
{
    m_messages.append(question);
    if (m_answers.isEmpty()) {
        ++m_unanswered;
        return false;
    }
    return m_answers.dequeue();
}

void ScriptedMessageService::error(const DbError& error)
{
    m_messages.append({Kind::Error, error.message(), applicationTitle(), error.number(),
                       errorText(error), error.isRefusal(), false});
}

QStringList ScriptedMessageService::texts() const
{
    QStringList out;
    for (const Message& m : m_messages)
        out.append(m.text);
    return out;
}

QStringList ScriptedMessageService::infos() const
{
    QStringList out;
    for (const Message& m : m_messages) {
        if (m.kind == Kind::Info)
            out.append(m.text);
    }
    return out;
}

QList<ScriptedMessageService::Message> ScriptedMessageService::errors() const
{
    QList<Message> out;
    for (const Message& m : m_messages) {
        if (m.kind == Kind::Error)
            out.append(m);
    }
    return out;
}

void ScriptedMessageService::clear()
{
    m_messages.clear();
    m_answers.clear();
    m_unanswered = 0;
}
