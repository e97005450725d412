#include "CounterLook.h"

#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/Twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace CounterLook {

QGroupBox* makeFrame(QWidget* parent, const QString& name)
{
    auto* frame = FormControls::frame(parent, name);
    frame->setFont(FormControls::font(QStringLiteral("Goudy Old Style"), 18, true));
    return frame;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, double points)
{
    auto* label = FormControls::label(parent, name, caption);
    label->setFont(FormControls::font(QStringLiteral("Britannic Bold"), points));
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = FormControls::button(parent, name, caption);
    button->setFont(FormControls::font(QStringLiteral("Britannic Bold"), 8.25));
    return button;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& name, double points)
{
    auto* box = FormControls::textBox(parent, name);
    box->setFont(FormControls::font(QStringLiteral("MS Sans Serif"), points, true));
    return box;
}

FlexGrid* makeGrid(QWidget* parent, const QString& name)
{
    auto* grid = FormControls::grid(parent, name);
    grid->setFont(FormControls::font(QStringLiteral("MS Sans Serif"), 8.25));
    grid->setRows(2);
    grid->setCols(2);
    return grid;
}

QFrame* makeSeparator(QWidget* parent, const QString& name, int top)
{
    auto* line = FormControls::control<QFrame>(parent, name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setLineWidth(1);
    line->setGeometry(0, Twips::toPixels(top), Twips::toPixels(5640), 2);
    return line;
}

} // namespace CounterLook
