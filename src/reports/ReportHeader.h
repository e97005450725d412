#pragma once

#include <QDateTime>
#include <QString>

// What heads a report on screen and on paper.
struct ReportHeader
{
    QString hospital;
    QString title;
    QString period;
    QString printedBy;
    QDateTime printedAt;

    // "Printed by ADMIN on 12/8/2026 10:30 AM".
    QString printedLine() const
    {
        return QStringLiteral("Printed by %1 on %2")
            .arg(printedBy, printedAt.toString(QStringLiteral("M/d/yyyy h:mm AP")));
    }
};
