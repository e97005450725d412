#include "QtMessageService.h"

#include "data/DbError.h"

#include <QApplication>
#include <QMessageBox>

namespace {
int showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setDefaultButton(defaultButton);
    return box.exec();
}
} // namespace

void QtMessageService::info(const QString& text)
{
    showBox(QMessageBox::Information, applicationTitle(), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessageService::ask(const QString& text, const QString& title)
{
    return showBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtMessageService::askDefaultNo(const QString& text, const QString& title)
{
    return showBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No) == QMessageBox::Yes;
}

void QtMessageService::error(const DbError& error)
{
    showBox(error.isRefusal() ? QMessageBox::Warning : QMessageBox::Critical, applicationTitle(),
            errorText(error), QMessageBox::Ok, QMessageBox::Ok);
}
