#pragma once

#include "widgets/ModalForm.h"

#include <array>

class AppContext;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The meal type master (caption "Form1"): creates a meal type or edits one fetched
// through the lookup dialog; every save is one call of the meal type save procedure.
class frmMealTypeBuildFile : public ModalForm
{
    Q_OBJECT

public:
    explicit frmMealTypeBuildFile(AppContext& context);

    // The controls exist only while the window is loaded.
    QGroupBox* fraSearch = nullptr;
    QLineEdit* txtMealSearch = nullptr;
    QPushButton* cmdMealSearch = nullptr;
    QGroupBox* Frame1 = nullptr;
    // 0 code, 1 name.
    std::array<QLineEdit*, 2> txtMealDetails{};
    // 0 "Name:", 1 unused, 2 "Code:" (the indexes the labels carry in the window).
    std::array<QLabel*, 3> lblCode{};
    QCheckBox* chkStatus = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdClear = nullptr;

    // True while the fields hold a meal type fetched through the lookup.
    bool editMode() const { return blnEditMode; }

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdMealSearch_Click();
    void cmdSave_Click();
    void cmdClear_Click();
    void cmdClose_Click();
    // Empties the detail boxes and returns to a new entry; the Active box and the
    // search text stay as they are.
    void ClearDetails();

    AppContext& m_context;
    bool blnEditMode = false;
};
