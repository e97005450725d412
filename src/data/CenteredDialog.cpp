#include "CenteredDialog.h"

#include <QScreen>

void CenteredDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (parentWidget() && parentWidget()->isVisible())
        return;
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}
