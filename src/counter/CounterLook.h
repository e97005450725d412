#pragma once

#include <QString>

class FlexGrid;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The counter's own look: frames in Goudy Old Style, captions and buttons in Britannic Bold,
// boxes and grids in MS Sans Serif. Each control gets its designed name.
namespace CounterLook {

QGroupBox* makeFrame(QWidget* parent, const QString& name);
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, double points);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
QLineEdit* makeTextBox(QWidget* parent, const QString& name, double points);
// A grid of two rows and two columns until its first fill.
FlexGrid* makeGrid(QWidget* parent, const QString& name);
// A sunken line across the counter frame at `top` twips.
QFrame* makeSeparator(QWidget* parent, const QString& name, int top);

} // namespace CounterLook
