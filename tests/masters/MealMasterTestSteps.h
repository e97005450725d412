#pragma once

#include "widgets/FlexGrid.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// What a user does in the two master windows and in their lookup dialog.
namespace MealMasterTestSteps {

inline const QString kConfirm =
    QStringLiteral("Are you sure you want to EDIT/UPDATE the selected item?");

// In the lookup dialog: double-click data row `row` of its list.
inline void choose(QDialog& dialog, int row = 1)
{
    auto* grid = dialog.findChild<FlexGrid*>(QStringLiteral("mshSearchList"));
    QVERIFY(grid);
    QVERIFY(grid->isEnabled());
    const QPoint at = grid->rowRect(row).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// The control that Tab moves to from `widget`.
inline QWidget* nextTabStop(QWidget* widget)
{
    QWidget* next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

inline void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void enter(QWidget* widget)
{
    QTest::keyClick(widget, Qt::Key_Return);
}

inline void type(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

} // namespace MealMasterTestSteps
