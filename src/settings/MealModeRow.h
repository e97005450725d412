#pragma once

#include "settings/AppSettings.h"

#include <QList>
#include <QString>
#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// One meal mode's line in the App Settings window: its fields in two rows of a grid
// (the values, and under them the message that says what is wrong with them). A mode
// the site added has its name in a box and a Remove button; a listed mode's name is
// fixed. Every control is named with the line's index: txtLimit(3), cboAction(3)...
class MealModeRow
{
public:
    MealModeRow(QGridLayout& grid, int index, const MealModeSetting& setting, bool added);
    // The captions above the lines, in the grid's first row.
    static void addHeader(QGridLayout& grid);

    MealModeRow(const MealModeRow&) = delete;
    MealModeRow& operator=(const MealModeRow&) = delete;

    // Deletes the line's controls (they belong to the window otherwise, and go with it).
    void removeControls();

    // The values typed, or empty with what is wrong shown beside the line and the bad
    // fields marked.
    std::optional<MealModeSetting> read();
    // Shows a fault of an added mode's name that only the whole list can see (the same
    // name twice).
    void refuseName(const QString& message);
    // Shows that the serving times clash with another mode's.
    void refuseServingTimes(const QString& message);
    // The first marked field, for the focus.
    QWidget* firstMarked() const;
    QString name() const;
    bool added() const { return txtMode != nullptr; }
    QPushButton* removeButton() const { return cmdRemove; }
    QWidget* firstField() const;
    // The line's controls in the order Tab visits them.
    QList<QWidget*> tabOrder() const;

private:
    // The boxes a value is typed in, in the order of the line.
    QList<QWidget*> valueFields() const;
    void clearFaults();
    void mark(QWidget* field, const QString& message);

    QLabel* lblMode = nullptr;
    QLineEdit* txtMode = nullptr;
    QLineEdit* txtLimit = nullptr;
    QComboBox* cboAction = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLineEdit* txtTo = nullptr;
    QPushButton* cmdRemove = nullptr;
    QLabel* lblError = nullptr;
    QStringList m_faults;
};
