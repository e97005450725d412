#pragma once

#include "settings/AppSettingsData.h"
#include "widgets/ModalForm.h"

#include <memory>
#include <optional>
#include <vector>

class AppContext;
class MealModeRow;
class QCheckBox;
class QSpinBox;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

// App Settings: what the site decides for every counter. Per meal mode a daily limit
// (warn or block past it) and a serving window; the modes the site added beside the
// listed ones; scan mode; the first day of the week and the site name of the reports; the
// day through which the meals are closed for payroll.
// Every value is checked before anything is sent, a refused value is marked where it
// was typed, and Save sends everything in one call. Cancel and Escape drop the changes.
class frmAppSettings : public ModalForm
{
    Q_OBJECT

public:
    explicit frmAppSettings(AppContext& context);
    ~frmAppSettings() override;

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    QGroupBox* createMealModes(QWidget* surface);
    QGroupBox* createCounterSettings(QWidget* surface);
    QGroupBox* createReportSettings(QWidget* surface);
    QHBoxLayout* createButtons(QWidget* surface);

    void showSettings(const AppSettings& settings);
    void addRow(const MealModeSetting& setting, bool added);
    void addMode();
    void removeMode(MealModeRow* row);
    void orderTabs();
    // Everything typed, or empty when a value is refused (then marked beside its field).
    std::optional<AppSettings> readSettings();
    // Marks a mode whose serving times clash with those of a mode above it; true then.
    bool refuseOverlap(MealModeRow& row, const MealModeSetting& mode,
                       const QList<MealModeSetting>& before);
    void save();

    AppContext& m_context;
    AppSettingsData m_data;
    std::vector<std::unique_ptr<MealModeRow>> m_rows;
    int m_nextIndex = 0;

    QScrollArea* scrMealModes = nullptr;
    QGridLayout* m_modeGrid = nullptr;
    QPushButton* cmdAddMode = nullptr;
    QCheckBox* chkScanMode = nullptr;
    QCheckBox* chkKeyboardEntry = nullptr;
    QCheckBox* chkBulkTagging = nullptr;
    QCheckBox* chkKeepServingOffline = nullptr;
    QCheckBox* chkFittedColumns = nullptr;
    QSpinBox* spnStatementTimeout = nullptr;
    QComboBox* cboFirstDay = nullptr;
    QLineEdit* txtSiteName = nullptr;
    // The day the meals are closed through (sent to payroll); unticked: none.
    QCheckBox* chkClosedThrough = nullptr;
    QDateEdit* dtpClosedThrough = nullptr;
    // The closed day as read, so Save sends it only when it was changed.
    QDate m_closedAsRead;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
};
