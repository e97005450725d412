#include "ScriptedModalRunner.h"

#include <QApplication>
#include <QDialog>

int ScriptedModalRunner::runModal(QDialog& dialog)
{
    m_shown.append(dialog.objectName());
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QApplication::processEvents();
    if (m_steps.isEmpty()) {
        ++m_unexpected;
    } else {
        Step step = m_steps.dequeue();
        step(dialog);
    }
    if (dialog.isVisible())
        dialog.close(); // the close box: QDialog::reject()
    QApplication::processEvents();
    return dialog.result();
}

void ScriptedModalRunner::thenClose()
{
    then([](QDialog&) {});
}
