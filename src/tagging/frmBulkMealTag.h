#pragma once

#include "BulkTagData.h"
#include "widgets/ModalForm.h"

#include <QHash>
#include <QList>
#include <QPointer>

class AppContext;
class FlexGrid;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

// Bulk tagging ("Bulk Meal Tagging"): several meal types for a whole set of employees at
// once (every active employee, the active employees of a department, or the employees a
// staff import has just added). Preview counts, per meal type, who would get the tag and
// who has it already; Tag adds the missing tags in one transaction.
class frmBulkMealTag : public ModalForm
{
    Q_OBJECT

public:
    explicit frmBulkMealTag(AppContext& context);

    // Shows the window when the signed-in person holds the tagging right, else says
    // "No Access.".
    static void openChecked(AppContext& context);

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
    // The last import's newcomers not tagged yet, as the store holds them now: read
    // whenever the window opens and after every tagging.
    ImportOffer m_import;

    void createEmployeeChoice(QWidget* surface);
    void createMealTypeChoice(QWidget* surface);
    void connectControls();
    void fillChoices();
    void fillImportedChoice();

    void preview();
    void tag();
    // Something chosen changed: the counts on screen no longer hold.
    void invalidate();
    bool chooseSelection(BulkTagData::Selection& selection);
    void showCounts(const Recordset& counts);
    // "the 3 new Dietary Service employees", "the 35 active employees", ...
    QString whom(int employees) const;
    // " 5 inactive employees are left out." (`done`: "were") for the inactive ones of an
    // import's list, else "".
    QString leftOut(bool done) const;
    // Reads the offer again: the import's employees just tagged are offered no more.
    void reloadOffer();
    QString typeNames() const;
    void layOutPreview();

    AppContext& m_context;
    BulkTagData m_data;
    QHash<QString, QString> m_departmentNames; // key: code in upper case
    BulkTagData::Selection m_previewed;
    int m_toTag = 0;
    int m_already = 0;
    int m_employees = 0;

    QPointer<QLabel> lblEmployees;
    QPointer<QRadioButton> optAllActive;
    QPointer<QRadioButton> optDepartment;
    QPointer<QComboBox> cboDepartment;
    QPointer<QRadioButton> optImported;
    QPointer<QComboBox> cboImported;
    QPointer<QListWidget> lstMealTypes;
    QPointer<FlexGrid> mshBulkPreview;
    QPointer<QLabel> lblBulkSummary;
    QPointer<QPushButton> cmdPreview;
    QPointer<QPushButton> cmdTag;
    QPointer<QPushButton> cmdClose;
};
