#pragma once

#include "EmployeeMealTagData.h"
#include "widgets/ModalForm.h"

#include <QPointer>
#include <array>
#include <functional>

class AppContext;
class FlexGrid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Meal tagging ("Meal Tag"): which meal types an employee may receive.
// Two panels of the same size share the window: the tag panel (the employee, the meal
// types tagged to them and an entry line for one more) and the personnel panel (a search
// of the payroll personnel list). The personnel panel is parked outside the window and
// brought in front by moving it over the tag panel.
class frmEmployeeMealTag : public ModalForm
{
    Q_OBJECT

public:
    explicit frmEmployeeMealTag(AppContext& context);

    // How the window was opened (strMode): from Settings, with the search offered, or
    // from the meal counter's pop-up menu, for the counter's chosen employee.
    static inline const QString ModeFromSettings = QStringLiteral("1");
    static inline const QString ModeFromCounter = QStringLiteral("0");
    QString strMode;
    QString strEmpNumTagMeal;
    QString strEmpNameTagMeal;
    // The counter hands over its chosen employee before its pop-up menu opens the window.
    void takeEmployee(const QString& empNum, const QString& name)
    {
        strEmpNumTagMeal = empNum;
        strEmpNameTagMeal = name;
    }

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    void createTagPanel();
    void createPersonnelPanel();
    void connectControls();

    // Panel switching.
    void showPersonnelPanel();
    void hidePersonnelPanel();
    void setWindowWidthTwips(int width);

    // The user's actions; each runs as one attempt, so a failing statement is shown and
    // stops the action where it failed.
    void openPersonnelPanel();
    void searchAgain();
    void chooseEmployee();
    void leavePanel();
    void chooseMealType();
    void saveTag();
    void removeTag();
    void clearEntry();
    void run(const std::function<void()>& action);

    void LoadPersonnelList();
    void LoadTaggedMeals();
    // The number whose tags are listed and removed: the meal counter's employee when
    // opened from there, otherwise the number shown in the panel.
    QString taggedEmployeeNumber() const;
    bool searchKeysActive() const;
    static void layOutCodeList(FlexGrid& grid);

    AppContext& m_context;
    EmployeeMealTagData m_data;

    // Controls; they exist only while the window is shown.
    QPointer<QGroupBox> fraEmployeeTagMeal;
    QPointer<QGroupBox> fraEmpList;
    std::array<QPointer<QLabel>, 5> lblCode;
    std::array<QPointer<QLineEdit>, 4> txtMealDetails;
    QPointer<FlexGrid> mshMealList;
    QPointer<QPushButton> cmdSearchEmployee;
    QPointer<QPushButton> cmdSearchType;
    QPointer<QPushButton> cmdRemove;
    QPointer<QPushButton> cmdClear;
    QPointer<QPushButton> cmdSave;
    QPointer<QPushButton> cmdClose;
    QPointer<QPushButton> cmdBulkTag;
    QPointer<QLineEdit> txtEmpSearch;
    QPointer<QPushButton> cmdSearchEmp2;
    QPointer<FlexGrid> mshEmpList;
    QPointer<QPushButton> cmdSelect;
    QPointer<QPushButton> cmdCancel;
};
