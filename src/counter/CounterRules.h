#pragma once

#include "settings/AppSettings.h"

#include <QString>
#include <QStringList>

// The counter's rules, apart from its window: what the clerk is asked and told, which
// meal mode an order line gets, and which employee a scanned badge opens.
namespace CounterRules {

// The question put to the clerk for an order past a warn-mode limit: for an employee
// with no meal of the mode yet, for several more, or for one more.
QString limitQuestion(const LimitWarning& warning, const QString& name);

// What a meal mode typed for an order line comes to.
struct ModeCheck
{
    bool accepted = true;
    // Accepted: the mode to record (the site's own spelling once a site limits meals).
    QString mode;
    // Refused: why, for the clerk.
    QString refusal;
};
// While the site limits no mode any typed mode is taken as typed; once it limits one, a
// mode must be one of the site's, so no count can be walked around by a new spelling.
ModeCheck checkMealMode(const AppSettings& settings, const QString& typed);

// The modes the counter's list offers: the site's, or the listed ones when it has none.
QStringList offeredModes(const AppSettings& settings);

// The row (1-based) of the only employee whose number is the scanned text, ignoring
// case and the blanks around the scan; 0 when nobody or several employees have it.
// `numbers` holds the list's numbers from its first row on.
int scannedRow(const QStringList& numbers, const QString& scanned);
// The status line for a scan that found nobody.
QString noEmployeeNote(const QString& number);
// The status line for a scan of an employee marked inactive.
QString inactiveEmployeeNote(const QString& number);

// The counter frame's line naming the employee served ("" for none).
QString chosenEmployeeText(const QString& empNum, const QString& name);
// The status line: the counter's notes that apply, side by side.
QString statusNote(const QStringList& notes);
// The question before an order not saved is dropped with the counter.
QString dropOrderQuestion(const QString& name);
// The questions when a badge is scanned while an order not saved is open: save it
// first, or else drop it.
QString saveBeforeBadgeQuestion(const QString& name, const QString& badge);
QString dropBeforeBadgeQuestion(const QString& name, const QString& badge);

} // namespace CounterRules
