#pragma once

#include <QDialog>

class ModalRunner;
class QLineEdit;
class QPushButton;

// Asks for the number of employees an import would deactivate to be typed before it
// goes ahead: one tick must never be enough to empty most of the staff list.
class DeactivationConfirm : public QDialog
{
    Q_OBJECT

public:
    DeactivationConfirm(int count, int activeStaff, QWidget* parent = nullptr);

    // Shows the dialog through `runner`; true when the number was typed and confirmed.
    static bool confirmed(ModalRunner& runner, int count, int activeStaff, QWidget* parent);

private:
    int m_count;
    QLineEdit* txtDeactivateCount = nullptr;
    QPushButton* cmdDeactivate = nullptr;
};
