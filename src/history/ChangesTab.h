#pragma once

#include "ChangeText.h"
#include "ChangeTreeModel.h"
#include "HistoryData.h"
#include "KeysetPager.h"

#include <QWidget>

class AppContext;
class ChangeTreeModel;
class QComboBox;
class QDate;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// The history window's "Changes" tab: the changes log told as sentences, filtered by
// date range, table and user, read page by page as the list is scrolled. An import or a
// bulk tagging is one line that opens to its changes.
class ChangesTab : public QWidget
{
    Q_OBJECT

public:
    // `pageSize` is the window's, read at each search.
    ChangesTab(AppContext& context, HistoryData& data, const int& pageSize);

    // The designed state: the day's changes, every table, any user, nothing read yet.
    void clear(const QDate& today);
    // Searches when nothing has been read since the last clear.
    void searchIfEmpty();
    void search();

private:
    void createControls();
    QList<ChangeTreeModel::Change> rows(const Recordset& page) const;
    void showCount(qint64 count);

    AppContext& m_context;
    HistoryData& m_data;
    const int& m_pageSize;
    KeysetPager m_pager;
    // The rights' names, read with the first search.
    ChangeText::RightNames m_rightNames;
    bool m_fetching = false;

    QDateTimeEdit* dtpChangesFrom = nullptr;
    QDateTimeEdit* dtpChangesTo = nullptr;
    QComboBox* cboTable = nullptr;
    QLineEdit* txtUser = nullptr;
    QPushButton* cmdChangesSearch = nullptr;
    QLabel* lblChangesCount = nullptr;
    QTreeView* grdChanges = nullptr;
    ChangeTreeModel* m_changes = nullptr;
};
