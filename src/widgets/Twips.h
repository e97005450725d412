#pragma once

#include <QRect>

class QWidget;

// Form layouts are given in twips: 1440 twips per logical inch.
namespace Twips {

int toPixels(int twips);
int fromPixels(int pixels);
QRect rect(int left, int top, int width, int height);
// Places `widget` at a position given in twips, relative to its parent.
void place(QWidget* widget, int left, int top, int width, int height);

} // namespace Twips
