#include "BadgeScanWatch.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// The text box behind a control, if it has one.
QLineEdit* boxOf(QObject* control)
{
    if (auto* box = qobject_cast<QLineEdit*>(control))
        return box;
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->lineEdit();
    return nullptr;
}

bool isDigitKey(const QKeyEvent* key)
{
    const QString text = key->text();
    return text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9') &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

BadgeScanWatch::BadgeScanWatch(QObject* parent, std::function<bool()> active,
                               std::function<void(const QString&)> scanned)
    : QObject(parent), m_active(std::move(active)), m_scanned(std::move(scanned))
{
    m_clock.start();
}

void BadgeScanWatch::watch(QWidget* control)
{
    control->installEventFilter(this);
}

void BadgeScanWatch::forget()
{
    m_digits.clear();
    m_target = nullptr;
}

bool BadgeScanWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !m_active())
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    const qint64 now = m_clock.elapsed();
    const bool inTime = m_target == watched && now - m_lastKeyAt <= kScanGapMs;
    m_lastKeyAt = now;
    if (isDigitKey(key)) {
        if (!inTime || m_digits.isEmpty()) {
            // A new run starts: remember the box as it is before its first digit.
            forget();
            m_target = watched;
            const QLineEdit* box = boxOf(watched);
            m_textBefore = box ? box->text() : QString();
            m_cursorBefore = box ? box->cursorPosition() : 0;
        }
        m_digits += key->text();
        return QObject::eventFilter(watched, event);
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || !inTime || m_digits.size() < kShortestBadge) {
        forget();
        return QObject::eventFilter(watched, event);
    }
    const QString number = m_digits;
    if (QLineEdit* box = boxOf(watched)) {
        box->setText(m_textBefore);
        box->setCursorPosition(m_cursorBefore);
    }
    forget();
    m_scanned(number);
    return true;
}
