#include "ModalRunner.h"

#include <QDialog>

int ExecModalRunner::runModal(QDialog& dialog)
{
    return dialog.exec();
}
