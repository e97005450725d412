#include "EmployeeListLayout.h"

#include "CounterLook.h"
#include "data/ColumnLengths.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace CounterLook;
using FormControls::indexed;

EmployeeListLayout::EmployeeListLayout(QWidget& window)
{
    window.setObjectName(QStringLiteral("frmEmployeeList"));
    window.setWindowTitle(QStringLiteral("List of Employees"));
    window.resize(Twips::toPixels(14670), Twips::toPixels(8880));
    buildSearchFrame(window);
    buildListFrame(window);
    buildCounterFrame(window);
    // The captions' boxes were sized for the designed fonts; a wider fallback must not cut
    // them off.
    FormControls::fitCaptions(&window);
}

void EmployeeListLayout::buildSearchFrame(QWidget& window)
{
    fraSearch = makeFrame(&window, QStringLiteral("fraSearch"));
    Twips::place(fraSearch, 30, 30, 8895, 1215);
    lblSearchEmployee = makeLabel(fraSearch, QStringLiteral("lblSearchEmployee"),
                                  QStringLiteral("Search Employee"), 20.25);
    Twips::place(lblSearchEmployee, 150, 120, 3495, 495);
    txtEmployeeDetails = makeTextBox(fraSearch, QStringLiteral("txtEmployeeDetails"), 13.5);
    txtEmployeeDetails->setMaxLength(ColumnLengths::SearchText);
    Twips::place(txtEmployeeDetails, 120, 600, 7335, 500);
    cmdSearch = makeButton(fraSearch, QStringLiteral("cmdSearch"), QStringLiteral("Search"));
    Twips::place(cmdSearch, 7560, 600, 1215, 495);
}

void EmployeeListLayout::buildListFrame(QWidget& window)
{
    fraList = makeFrame(&window, QStringLiteral("fraList"));
    Twips::place(fraList, 30, 1275, 8895, 7575);
    lblListEmployees = makeLabel(fraList, QStringLiteral("lblListEmployees"),
                                 QStringLiteral("List of Employees Entered"), 20.25);
    Twips::place(lblListEmployees, 150, 120, 3495, 495);
    mshEmpList = makeGrid(fraList, QStringLiteral("mshEmpList"));
    Twips::place(mshEmpList, 155, 600, 8585, 6855);
    // In entry mode the greyed list still shows whom the clerk is serving.
    mshEmpList->setShowsChoiceWhileFrameDisabled(true);
}

void EmployeeListLayout::buildCounterFrame(QWidget& window)
{
    fraCounter = makeFrame(&window, QStringLiteral("fraCounter"));
    Twips::place(fraCounter, 8955, 30, 5685, 8820);
    QWidget* frame = fraCounter;

    const struct
    {
        int index;
        const char* caption;
        int left, top, width, height;
    } labels[] = {
        {3, "Meals Received Today", 120, 120, 5415, 375}, {0, "Meal Entries", 120, 2520, 5415, 375},
        {4, "Meal Mode:", 120, 3480, 1575, 375},          {1, "Remarks", 120, 3960, 1335, 375},
        {2, "Order List", 120, 6000, 1935, 375},
    };
    for (const auto& l : labels) {
        lblCounter[l.index] =
            makeLabel(frame, indexed("lblCounter", l.index), QString::fromLatin1(l.caption), 14.25);
        Twips::place(lblCounter[l.index], l.left, l.top, l.width, l.height);
    }

    mshMealList[ReceivedGrid] = makeGrid(frame, indexed("mshMealList", ReceivedGrid));
    Twips::place(mshMealList[ReceivedGrid], 120, 600, 5415, 1695);
    Line1 = makeSeparator(frame, QStringLiteral("Line1"), 2400);

    txtMealEntry[MealDescription] =
        makeTextBox(frame, indexed("txtMealEntry", MealDescription), 13.5);
    txtMealEntry[MealDescription]->setMaxLength(ColumnLengths::SearchText);
    Twips::place(txtMealEntry[MealDescription], 120, 2880, 4095, 500);
    // Whom the order is for, beside "Meal Entries", so no meal is booked to the wrong
    // person once the employee list is greyed out.
    lblChosenEmployee = FormControls::label(frame, QStringLiteral("lblChosenEmployee"), QString());
    lblChosenEmployee->setFont(FormControls::font(QStringLiteral("MS Sans Serif"), 9.75, true));
    lblChosenEmployee->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Twips::place(lblChosenEmployee, 1800, 2520, 3735, 375);
    cmdMealEntry[MealSearch] =
        makeButton(frame, indexed("cmdMealEntry", MealSearch), QStringLiteral("Search"));
    Twips::place(cmdMealEntry[MealSearch], 4320, 2880, 1215, 495);

    cmdMealMode = FormControls::control<QComboBox>(frame, QStringLiteral("cmdMealMode"));
    cmdMealMode->setEditable(true);
    // A mode typed by hand is taken as typed, not added to the list.
    cmdMealMode->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion either: typing "Extra" must not become "Extra Meal".
    cmdMealMode->setCompleter(nullptr);
    cmdMealMode->lineEdit()->setMaxLength(ColumnLengths::MealMode);
    cmdMealMode->setFont(FormControls::font(QStringLiteral("MS Sans Serif"), 12, true));
    Twips::place(cmdMealMode, 1800, 3480, 2415, 420);

    txtMealEntry[MealCode] = makeTextBox(frame, indexed("txtMealEntry", MealCode), 8.25);
    Twips::place(txtMealEntry[MealCode], 4320, 3480, 1215, 300);
    txtMealEntry[Remarks] = makeTextBox(frame, indexed("txtMealEntry", Remarks), 13.5);
    txtMealEntry[Remarks]->setMaxLength(ColumnLengths::Remarks);
    Twips::place(txtMealEntry[Remarks], 120, 4320, 5415, 855);
    cmdMealEntry[Add] = makeButton(frame, indexed("cmdMealEntry", Add), QStringLiteral("Add"));
    Twips::place(cmdMealEntry[Add], 4320, 5280, 1215, 495);

    Line2 = makeSeparator(frame, QStringLiteral("Line2"), 5880);
    mshMealList[OrderGrid] = makeGrid(frame, indexed("mshMealList", OrderGrid));
    Twips::place(mshMealList[OrderGrid], 120, 6360, 5415, 1695);

    cmdMealEntry[Remove] =
        makeButton(frame, indexed("cmdMealEntry", Remove), QStringLiteral("Remove"));
    Twips::place(cmdMealEntry[Remove], 120, 8160, 1215, 495);
    cmdMealEntry[Save] = makeButton(frame, indexed("cmdMealEntry", Save), QStringLiteral("Save"));
    Twips::place(cmdMealEntry[Save], 3000, 8160, 1215, 495);
    cmdMealEntry[Cancel] =
        makeButton(frame, indexed("cmdMealEntry", Cancel), QStringLiteral("Cancel"));
    Twips::place(cmdMealEntry[Cancel], 4320, 8160, 1215, 495);
}
