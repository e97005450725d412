#pragma once

#include "settings/CsvReader.h"
#include "settings/StaffImportData.h"
#include "settings/StaffImportPlan.h"
#include "tagging/ImportOffer.h"
#include "widgets/ModalForm.h"

#include <array>
#include <memory>

class AppContext;
class FlexGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Import Staff: brings the personnel list exported by an HR or payroll system into the
// personnel master. The file is read, its columns are mapped to the employee fields, a
// preview shows what would change, and only Apply writes, in one transaction.
class frmStaffImport : public ModalForm
{
    Q_OBJECT

public:
    explicit frmStaffImport(AppContext& context);

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    void createFileRow(QWidget* surface);
    void createColumnBoxes(QWidget* surface);
    void createPreviewArea(QWidget* surface);
    void connectControls();

    void browse();
    void readFile();
    void preview();
    void apply();
    // The current plan no longer matches what is on screen: Apply waits for a new preview.
    void invalidatePreview();
    void showPlan();
    // A new employee's line: name, department, and whether the file makes him inactive.
    QString newcomerDetails(const StaffImportPlan::Row& row) const;
    void layOutPreview();
    StaffColumns chosenColumns() const;
    // Deactivating employees asks again, with their number; many of them must be typed.
    bool deactivationConfirmed();
    // The last import's new employees not tagged yet, with the file and time they came
    // with: offered to tag until they are, in this window and in bulk tagging.
    void offerTagging();
    void showOffer();
    void tagNewEmployees();

    AppContext& m_context;
    StaffImportData m_data;
    CsvReader m_csv;
    bool m_fileRead = false;
    // The file on screen is the one just applied (not read again since).
    bool m_fileApplied = false;
    ImportOffer m_offer;
    std::unique_ptr<StaffImportPlan> m_plan;
    StaffMaster m_master;

    QLineEdit* txtFile = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QPushButton* cmdRead = nullptr;
    std::array<QComboBox*, StaffColumns::FieldCount> cboColumn{};
    QLabel* lblFileInfo = nullptr;
    QCheckBox* chkWholeList = nullptr;
    QPushButton* cmdPreview = nullptr;
    QLabel* lblSummary = nullptr;
    FlexGrid* mshPreview = nullptr;
    QCheckBox* chkDeactivate = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblTagNew = nullptr;
    QPushButton* cmdTagNew = nullptr;
};
