#pragma once

#include <QStringList>

class QWidget;

// The names of the labels below `parent` whose caption does not fit the label's box
// (wider or taller than it, or taller than its wrapped lines allow) or whose font was
// taken below 6 points to make it fit. Empty when every caption can be read whole.
QStringList cutOffCaptions(const QWidget* parent);
