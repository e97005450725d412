#pragma once

class QWidget;

// The mark on a field whose value was refused: a red border, and the property "fault"
// that says so to whoever reads the window.
namespace FieldFault {

void mark(QWidget* field, bool faulty);
bool isMarked(const QWidget* field);

} // namespace FieldFault
