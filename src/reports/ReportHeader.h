#pragma once

#include "data/GeneralDate.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

// What heads a report on screen and on paper.
struct ReportHeader
{
    QString hospital;
    QString title;
    QString period;
    QString printedBy;
    QDateTime printedAt;

    // "Printed by ADMIN on 12/8/2026 10:30 AM": the workstation's short date and time.
    QString printedLine() const
    {
        const QString format = GeneralDate::dayFormat() + QLatin1Char(' ') +
                               QLocale().timeFormat(QLocale::ShortFormat);
        // Some locale data put a narrow blank before AM/PM; the PDF's fonts may lack it.
        const QString at = printedAt.toString(format).replace(QChar(0x202F), QLatin1Char(' '));
        return QStringLiteral("Printed by %1 on %2").arg(printedBy, at);
    }
};
