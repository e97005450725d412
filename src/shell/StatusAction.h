#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QPushButton;
class QStatusBar;

// Something the user should act on, said in the status bar as a link-like button that
// does it, and offered as an item at the foot of a menu for the keyboard. Hidden while
// there is nothing to say.
class StatusAction : public QObject
{
    Q_OBJECT

public:
    StatusAction(QStatusBar* bar, QMenu* menu);

    // "" hides both.
    void show(const QString& text, const std::function<void()>& action);

private:
    QPushButton* m_button = nullptr;
    QAction* m_item = nullptr;
    std::function<void()> m_action;
};
