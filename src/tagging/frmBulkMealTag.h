#pragma once

#include "BulkTagData.h"
#include "widgets/ModalForm.h"

#include <QDateTime>
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

    // The employees the last staff import added; offered as a choice while not empty.
    struct ImportedEmployee
    {
        QString number;
        QString deptCode;
    };
    // The last import's offer: which file, when it was applied, and its new employees
    // not tagged yet from here.
    struct ImportOffer
    {
        QString file;
        QDateTime appliedAt;
        QList<ImportedEmployee> employees;
        // "staff.csv, imported 12/9/2026 6:30:15 PM"
        QString origin() const;
    };
    // Every Apply of the staff import hands over the employees it has just added (none
    // too): a fresh import replaces the offer of the one before.
    void takeImportedEmployees(const QString& file, const QDateTime& appliedAt,
                               const QList<ImportedEmployee>& employees)
    {
        m_import = {file, appliedAt, employees};
    }
    const ImportOffer& importOffer() const { return m_import; }

    // Shows the window when the signed-in person holds the tagging right, else says
    // "No Access.".
    static void openChecked(AppContext& context);

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private:
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
    // The import's employees just tagged are offered no more.
    void dropTaggedFromOffer();
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
