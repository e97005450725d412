#pragma once

#include "HistoryData.h"

#include <QWidget>
#include <functional>

class AppContext;
class ChangesTab;
class MealsTab;
class QTabWidget;

// File > Distributed Meals: the history of the meals handed out (MealsTab), and the
// changes log (ChangesTab, right "5"). A child of the main window that any signed-in
// user may open.
class frmDistributedMeals : public QWidget
{
    Q_OBJECT

public:
    explicit frmDistributedMeals(AppContext& context);

    // The designed state: today's meals, revoked ones hidden, the meals view, and the
    // first page read.
    void Form_Load();

    // Rows per page read from the server.
    int pageSize = 200;
    // Asks where to write the CSV file; an empty answer cancels the export.
    std::function<QString()> chooseExportFile;

private slots:
    void tabViews_CurrentChanged(int index);

private:
    AppContext& m_context;
    HistoryData m_data;

    QTabWidget* tabViews = nullptr;
    MealsTab* m_mealsTab = nullptr;
    ChangesTab* m_changesTab = nullptr;
};
