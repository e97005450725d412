#pragma once

#include "support/GridLines.h"
#include "widgets/FlexGrid.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QWidget>

// A window's controls, found by their object names: what a window test drives, for a
// modal dialog as for the counter's child window.
struct WidgetUi
{
    explicit WidgetUi(QWidget& w) : root(&w) {}

    // The control; a missing one ends the test run, as a misnamed control is a fault.
    template <class T> T* get(const QString& name) const
    {
        T* widget = root->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit* edit(const QString& name) const { return get<QLineEdit>(name); }
    QLabel* label(const QString& name) const { return get<QLabel>(name); }
    FlexGrid* grid(const QString& name) const { return get<FlexGrid>(name); }
    void click(const QString& name) const
    {
        QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton);
    }
    // A click, or a double-click, in the middle of a grid row, as the mouse gives them.
    static void clickRow(FlexGrid* grid, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->rowRect(row).center());
    }
    static void dblClickRow(FlexGrid* grid, int row)
    {
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->rowRect(row).center());
    }
    void dblClickRow(const QString& gridName, int row) const { dblClickRow(grid(gridName), row); }
    // Every data row's cell of one column, blank rows included.
    QStringList column(const QString& gridName, int col) const
    {
        return gridColumn(*grid(gridName), col);
    }
    // The named controls that Tab visits, in the order it visits them from the root's
    // first one (disabled ones too: the order is the window's, whatever its mode).
    QStringList tabStops() const
    {
        QStringList names;
        for (QWidget* w = root->nextInFocusChain(); w != root; w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
                root->isAncestorOf(w))
                names << w->objectName();
        }
        return names;
    }

    // Tab pressed in a grid with the focus: the name of the control that then has the focus
    // (empty while the grid keeps it, or if the current row moved).
    static QString tabFrom(FlexGrid* grid)
    {
        grid->setFocus();
        const int row = grid->Row();
        QTest::keyClick(grid, Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (!now || now == grid || grid->Row() != row)
            return QString();
        return now->objectName();
    }

protected:
    // For a driver whose window is made in its own constructor: root is set there.
    WidgetUi() = default;
    QWidget* root = nullptr;
};
