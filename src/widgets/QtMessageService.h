#pragma once

#include "MessageService.h"

// The message boxes the user sees: plain QMessageBoxes owned by the active window.
class QtMessageService : public MessageService
{
public:
    void info(const QString& text) override;
    bool ask(const QString& text, const QString& title) override;
    bool askDefaultNo(const QString& text, const QString& title) override;
    void error(const DbError& error) override;
};
