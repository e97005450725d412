#pragma once

#include "support/DialogUi.h"
#include "support/GridLines.h"
#include "widgets/FlexGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

// Drives the Bulk Meal Tagging window: choices, counts and the summary line.
struct BulkTagUi : DialogUi
{
    using DialogUi::DialogUi;
    // Ticks the meal types with these codes (and no others) with the space bar.
    void checkTypes(const QStringList& codes) const
    {
        auto* list = get<QListWidget>("lstMealTypes");
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem* item = list->item(row);
            const bool wanted = codes.contains(item->data(Qt::UserRole).toString());
            if (wanted != (item->checkState() == Qt::Checked)) {
                list->setCurrentRow(row);
                QTest::keyClick(list, Qt::Key_Space);
            }
        }
    }
    void chooseDepartment(const QString& name) const
    {
        auto* box = get<QComboBox>("cboDepartment");
        box->setCurrentIndex(box->findText(name));
        get<QRadioButton>("optDepartment")->setChecked(true);
    }
    // The counts as "MEAL TYPE|EMPLOYEES|TO TAG|ALREADY".
    QStringList counts() const { return gridLines(*get<FlexGrid>("mshBulkPreview"), 1, 4); }
    QString summary() const { return get<QLabel>("lblBulkSummary")->text(); }
};
