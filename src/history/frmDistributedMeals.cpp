#include "frmDistributedMeals.h"

#include "ChangesTab.h"
#include "MealsTab.h"
#include "context/AppContext.h"
#include "context/Rights.h"
#include "widgets/FormControls.h"

#include <QFileDialog>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

enum View
{
    MealsView = 0,
    ChangesView = 1
};

} // namespace

frmDistributedMeals::frmDistributedMeals(AppContext& context) : m_context(context), m_data(context)
{
    setObjectName(QStringLiteral("frmDistributedMeals"));
    setWindowTitle(QStringLiteral("Distributed Meals"));
    chooseExportFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export to CSV"),
                                            QStringLiteral("distributed-meals.csv"),
                                            QStringLiteral("CSV files (*.csv)"));
    };
    auto* layout = new QVBoxLayout(this);
    tabViews = FormControls::control<QTabWidget>(this, QStringLiteral("tabViews"));
    m_mealsTab = new MealsTab(m_context, m_data, pageSize, chooseExportFile);
    m_changesTab = new ChangesTab(m_context, m_data, pageSize);
    tabViews->addTab(m_mealsTab, QStringLiteral("Distributed Meals"));
    tabViews->addTab(m_changesTab, QStringLiteral("Changes"));
    layout->addWidget(tabViews);
    connect(tabViews, &QTabWidget::currentChanged, this,
            &frmDistributedMeals::tabViews_CurrentChanged);
}

void frmDistributedMeals::Form_Load()
{
    // Today is the server's day, as the counter records it.
    const QDate today = m_context.today();
    m_mealsTab->clear(today);
    m_changesTab->clear(today);
    // A user without the right to see changes is not shown a tab that only refuses.
    bool changesAllowed = false;
    m_context.attempt([&] { changesAllowed = Rights::held(m_context, Rights::Right::UserAccess); });
    tabViews->setTabVisible(ChangesView, changesAllowed);
    {
        const QSignalBlocker quiet(tabViews);
        tabViews->setCurrentIndex(MealsView);
    }
    m_mealsTab->search();
}

void frmDistributedMeals::tabViews_CurrentChanged(int index)
{
    if (index != ChangesView)
        return;
    bool granted = false;
    // A check that failed has shown its error; only a refusal says "No Access.".
    m_context.attempt(
        [&] { granted = Rights::heldOrRefused(m_context, Rights::Right::UserAccess); });
    if (!granted) {
        const QSignalBlocker quiet(tabViews);
        tabViews->setCurrentIndex(MealsView);
        return;
    }
    m_changesTab->searchIfEmpty();
}
