#include "StatusAction.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

StatusAction::StatusAction(QStatusBar* bar, QMenu* menu) : QObject(bar)
{
    m_button = new QPushButton(bar);
    m_button->setObjectName(QStringLiteral("stbAction"));
    m_button->setFlat(true);
    m_button->setCursor(Qt::PointingHandCursor);
    // A link's look: the status bar's words, underlined, in the link colour.
    m_button->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0 6px; color: palette(link); "
                       "text-decoration: underline; }"));
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->hide();
    bar->addPermanentWidget(m_button);
    m_item = menu->addAction(QString());
    m_item->setObjectName(QStringLiteral("mnuStatusAction"));
    m_item->setVisible(false);
    const auto run = [this] {
        if (m_action)
            m_action();
    };
    connect(m_button, &QPushButton::clicked, this, run);
    connect(m_item, &QAction::triggered, this, run);
}

void StatusAction::show(const QString& text, const std::function<void()>& action)
{
    m_action = text.isEmpty() ? std::function<void()>() : action;
    m_button->setText(text);
    m_button->setVisible(!text.isEmpty());
    m_item->setText(text);
    m_item->setVisible(!text.isEmpty());
}
