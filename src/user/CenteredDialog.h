#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLineEdit;
class QPushButton;

// Base of the dialogs shown before the main window is on screen (sign-in, first start).
// Qt would place them over their still-hidden owner, so they centre themselves on the
// screen instead. It also makes their text fields and their OK/Cancel row alike.
class CenteredDialog : public QDialog
{
    Q_OBJECT

public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent* event) override;

    // A named text field; a secret one shows no characters.
    QLineEdit* makeField(const QString& name, bool secret);
    // OK (the default button) and Cancel (rejects); sets cmdOK and cmdCancel.
    QDialogButtonBox* makeOkCancel();

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
