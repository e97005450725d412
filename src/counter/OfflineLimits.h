#pragma once

#include "OrderLine.h"
#include "settings/AppSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

// The site's daily limits checked on the workstation, while the server that checks them
// cannot be reached, against the meals the counter knows the employee has received that
// day (its copy, its own orders since, its journal). The answers are the server's: the
// same warnings, the same refusal text.
namespace OfflineLimits {

// The warn-mode limits the order would pass, in the site's order of modes.
// `receivedModes`: the meal mode of each meal received that day, not revoked.
QList<LimitWarning> warnings(const AppSettings& settings, const QStringList& receivedModes,
                             const QList<OrderLine>& lines);

// The refusal for the first line of the order past a block-mode limit, as the server
// words it; empty when the order passes. `name` is "Last, First Middle".
QString refusal(const AppSettings& settings, const QStringList& receivedModes,
                const QList<OrderLine>& lines, const QString& name, const QString& empNum);

} // namespace OfflineLimits
