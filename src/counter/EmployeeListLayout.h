#pragma once

#include <array>

class FlexGrid;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The counter window's controls as designed: each with its designed name, caption and
// font, placed in twips, onto the window it is given (whose name, title and size it sets
// too). They are made in the order Tab visits them. The window wires them up and runs
// them; this class only builds them and hands them back.
class EmployeeListLayout
{
public:
    // The members of the control arrays, numbered as the designed names number them.
    enum MealEntryButton
    {
        Save = 0,
        Cancel = 1,
        Add = 2,
        Remove = 3,
        MealSearch = 4
    };
    enum MealListGrid
    {
        OrderGrid = 0,
        ReceivedGrid = 1
    };
    enum MealEntryBox
    {
        MealCode = 0,
        MealDescription = 1,
        Remarks = 2
    };

    explicit EmployeeListLayout(QWidget& window);

    QGroupBox* fraSearch = nullptr;
    QLabel* lblSearchEmployee = nullptr;
    QLineEdit* txtEmployeeDetails = nullptr;
    QPushButton* cmdSearch = nullptr;
    QGroupBox* fraList = nullptr;
    QLabel* lblListEmployees = nullptr;
    FlexGrid* mshEmpList = nullptr;
    QGroupBox* fraCounter = nullptr;
    std::array<QLabel*, 5> lblCounter{};
    std::array<FlexGrid*, 2> mshMealList{};
    std::array<QLineEdit*, 3> txtMealEntry{};
    std::array<QPushButton*, 5> cmdMealEntry{};
    // A combo box, though "cmd" reads as a button: every control keeps its designed name
    // (its objectName too), so the window is found control by control as designed.
    QComboBox* cmdMealMode = nullptr;
    // Whom the order is for (empty in browse mode); its font is the designed one again
    // whenever it is given a name to show.
    QLabel* lblChosenEmployee = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;

private:
    void buildSearchFrame(QWidget& window);
    void buildListFrame(QWidget& window);
    void buildCounterFrame(QWidget& window);
};
