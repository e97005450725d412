#pragma once

#include "widgets/ModalForm.h"

#include <array>

class AppContext;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The meal master ("Create/Edit Meals"): creates a meal or edits one fetched through
// the lookup dialog; every save is one call of the meal save procedure.
class frmMealBuildFile : public ModalForm
{
    Q_OBJECT

public:
    explicit frmMealBuildFile(AppContext& context);

    // The controls exist only while the window is loaded.
    QGroupBox* fraSearch = nullptr;
    QLineEdit* txtMealSearch = nullptr;
    QPushButton* cmdMealSearch = nullptr;
    QGroupBox* Frame1 = nullptr;
    // 0 code, 1 name, 2 meal type code, 3 cost.
    std::array<QLineEdit*, 4> txtMealDetails{};
    // 0 "Name:", 1 "Type:", 2 "Code:", 3 "Cost:".
    std::array<QLabel*, 4> lblCode{};
    QCheckBox* chkStatus = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdSearchType = nullptr;
    QPushButton* cmdClear = nullptr;

    // True while the fields hold a meal fetched through the lookup.
    bool editMode() const { return blnEditMode; }

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdMealSearch_Click();
    void cmdSearchType_Click();
    void cmdSave_Click();
    void cmdClear_Click();
    void cmdClose_Click();
    // Empties the detail boxes and returns to a new entry; the Active box and the
    // search text stay as they are.
    void ClearDetails();

    AppContext& m_context;
    bool blnEditMode = false;
};
