#pragma once

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QTest>

// A shown window's controls, found by their object names: what a window test drives.
struct DialogUi
{
    explicit DialogUi(QDialog& d) : dialog(d) {}

    // The control; a missing one ends the test run, as a misnamed control is a fault.
    template <class T> T* get(const QString& name) const
    {
        T* widget = dialog.findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void click(const char* name) const
    {
        QTest::mouseClick(get<QPushButton>(QLatin1String(name)), Qt::LeftButton);
    }

    QDialog& dialog;
};
