#include "FormControls.h"

#include "widgets/FlexGrid.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <utility>

namespace FormControls {

namespace {

constexpr double kSmallestPoints = 6.0;
constexpr double kPointStep = 0.5;

bool captionFits(const QLabel* label)
{
    if (label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    const QSize room = label->contentsRect().size();
    const QSize needed =
        QFontMetrics(label->font()).size(Qt::TextSingleLine | Qt::TextShowMnemonic, label->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool isUpOrDownKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Up || key == Qt::Key_Down;
}

// Runs an action before the control handles a key the test picks; the key goes on.
class KeyWatch : public QObject
{
public:
    KeyWatch(QWidget* control, bool (*isKey)(const QEvent*), std::function<void()> action)
        : QObject(control), m_isKey(isKey), m_action(std::move(action))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_isKey(event))
            m_action();
        return QObject::eventFilter(watched, event);
    }

private:
    bool (*m_isKey)(const QEvent*);
    std::function<void()> m_action;
};

} // namespace

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QFont font(const QString& family, double points, bool bold)
{
    QFont result(family);
    result.setPointSizeF(points);
    result.setBold(bold);
    return result;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption)
{
    auto* widget = control<QPushButton>(parent, name);
    widget->setText(caption);
    widget->setAutoDefault(false);
    widget->setDefault(false);
    return widget;
}

QPushButton* pictureButton(QWidget* parent, const QString& name)
{
    QPushButton* widget = button(parent, name, QString());
    widget->setIcon(widget->style()->standardIcon(QStyle::SP_FileDialogContentsView));
    return widget;
}

QLabel* label(QWidget* parent, const QString& name, const QString& caption)
{
    auto* widget = control<QLabel>(parent, name);
    widget->setText(caption);
    return widget;
}

QLineEdit* textBox(QWidget* parent, const QString& name)
{
    return control<QLineEdit>(parent, name);
}

QGroupBox* frame(QWidget* parent, const QString& name)
{
    return control<QGroupBox>(parent, name);
}

FlexGrid* grid(QWidget* parent, const QString& name)
{
    return control<FlexGrid>(parent, name);
}

bool isEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

void onEnter(QWidget* control, std::function<void()> action)
{
    new KeyWatch(control, &isEnterKey, std::move(action));
}

void onUpDown(QWidget* control, std::function<void()> action)
{
    new KeyWatch(control, &isUpOrDownKey, std::move(action));
}

void fitText(QLabel* label)
{
    QFont shrunk = label->font();
    if (label->text().isEmpty() || shrunk.pointSizeF() <= 0)
        return;
    while (!captionFits(label) && shrunk.pointSizeF() > kSmallestPoints) {
        shrunk.setPointSizeF(std::max(kSmallestPoints, shrunk.pointSizeF() - kPointStep));
        label->setFont(shrunk);
    }
}

void fitCaptions(QWidget* parent)
{
    for (QLabel* label : parent->findChildren<QLabel*>())
        fitText(label);
}

} // namespace FormControls
