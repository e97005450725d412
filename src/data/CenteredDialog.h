#pragma once

#include <QDialog>

// A dialog shown before the main window is on screen: Qt would place it over its
// still-hidden owner, so it centres itself on the screen instead.
class CenteredDialog : public QDialog
{
    Q_OBJECT

public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent* event) override;
};
