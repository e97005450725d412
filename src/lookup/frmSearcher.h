#pragma once

#include "data/Recordset.h"
#include "widgets/ModalForm.h"

#include <functional>

class AppContext;
class DbError;
class FlexGrid;
class QGroupBox;
class QLineEdit;
class QPushButton;

// The one lookup dialog of the program (caption "Search"). Openers set the input
// fields, call showModal(), and copy the output fields whatever happened.
class frmSearcher : public ModalForm
{
    Q_OBJECT

public:
    explicit frmSearcher(AppContext& context);

    // In: what the lookup lists (the mode codes below).
    QString strMode;
    // The meals the employee strEmpNumSearch may receive (the counter).
    static inline const QString ModeAllowedMeals = QStringLiteral("1");
    // Every meal (the meal master, the history's meal filter).
    static inline const QString ModeMeals = QStringLiteral("2");
    // Meal types found by description, or by code when active (meal tagging, the meal master).
    static inline const QString ModeActiveMealTypes = QStringLiteral("3");
    // Every meal type, with its status handed back (the meal type master).
    static inline const QString ModeMealTypes = QStringLiteral("4");
    QString strSearchText;
    // Out: cleared at every opening, set by a double-click choice.
    QString strCode;
    QString strDescription;
    QString strCost;
    QString strType;
    // In, ModeAllowedMeals only.
    QString strEmpNumSearch;
    // In, ModeAllowedMeals only: what answers the look-up when the server cannot be
    // reached (the counter's copy, where the site keeps serving). Unset, or throwing, the
    // server's error stands.
    std::function<Recordset(const QString& empNum, const QString& text, const DbError& unreached)>
        offlineMeals;
    // Out.
    bool blnStatus = false;

    // The statement a mode sends for a search text; empty for an unknown mode.
    static QString queryText(const QString& mode, const QString& empNum, const QString& searchText);
    // A status cell read as a truth value: a number (0 is false, any other true) or
    // the words True / False in any letter case; anything else (an empty cell) false.
    static bool readStatus(const QString& cell);

    // For the next showing only: Up and Down go from the box into the list, Enter there
    // chooses the row, and typing in the list goes on in the search box (the counter's
    // keyboard order entry). Without it only Enter in the search box does anything.
    void setKeyboardChoice(bool on) { m_keyboardChoice = on; }

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private slots:
    void cmdSearch_Click();
    void mshSearchList_Click();
    void mshSearchList_DblClick();

private:
    void LoadSearchList();
    void ReturnSelection();
    void ReadMealRow(int row);

    AppContext& m_context;
    bool m_keyboardChoice = false;

    // Exist only while the dialog is shown.
    QGroupBox* fraSearch = nullptr;
    FlexGrid* mshSearchList = nullptr;
    QLineEdit* txtSearchEntry = nullptr;
    QPushButton* cmdSearch = nullptr;
};
