#pragma once

#include "widgets/Twips.h"

#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>

class FlexGrid;
class QEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Builds the controls of the forms: each carries the name the designer gave it and is
// placed in twips relative to its parent.
namespace FormControls {

// A control of any type with `name` as its object name.
template <class Widget> Widget* control(QWidget* parent, const QString& name)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(name);
    return widget;
}

// The same, placed at a position given in twips.
template <class Widget>
Widget* control(QWidget* parent, const QString& name, int left, int top, int width, int height)
{
    Widget* widget = control<Widget>(parent, name);
    Twips::place(widget, left, top, width, height);
    return widget;
}

// The name of one member of a control array: indexed("txtMealEntry", 0) is "txtMealEntry(0)".
QString indexed(const char* name, int index);

QFont font(const QString& family, double points, bool bold = false);

// A button that never acts as a default button, so Enter in a text box never presses it.
QPushButton* button(QWidget* parent, const QString& name, const QString& caption);
// A caption-less button showing the lookup picture.
QPushButton* pictureButton(QWidget* parent, const QString& name);
QLabel* label(QWidget* parent, const QString& name, const QString& caption);
QLineEdit* textBox(QWidget* parent, const QString& name);
// A frame drawn without a caption.
QGroupBox* frame(QWidget* parent, const QString& name);
FlexGrid* grid(QWidget* parent, const QString& name);

// A key press of Return or the keypad's Enter, the key that types character 13. Shift
// does not change it; with Ctrl or Alt held it is a different key.
bool isEnterKey(const QEvent* event);
// Runs `action` whenever Enter is pressed in `control`, before the control handles the
// key; the key is not swallowed. The watch ends with the control.
void onEnter(QWidget* control, std::function<void()> action);
// Runs `action` when Up or Down is pressed in `control`; the key is not swallowed.
void onUpDown(QWidget* control, std::function<void()> action);

// Lowers the label's font, half a point at a time and never below 6 points, until its
// caption fits the label's size; a word-wrapped caption may take several lines. The
// label keeps its geometry, and a caption that already fits keeps its font.
void fitText(QLabel* label);
// fitText for every label below `parent` that has a caption.
void fitCaptions(QWidget* parent);

} // namespace FormControls
