#pragma once

#include <QStringList>

class QWidget;

// The captions below `parent` (and `parent` itself when it is a status bar or a grid)
// that cannot be read whole, each compared with its own box:
// - labels (status-bar panels among them): wider or taller than the label, taller than
//   its wrapped lines allow, or with the font taken below 6 points to make it fit;
// - buttons: the caption wider than the button less its margins;
// - grid headers, while the site fits list columns to their contents: a shown column
//   narrower than its header text ("mshName:col").
// Each is named with what it needs beside what it has, as "name (needs WxH, has WxH)".
// Empty when every caption can be read whole.
QStringList cutOffCaptions(const QWidget* parent);
