#include "ImportOffer.h"

#include "data/GeneralDate.h"

#include <QFileInfo>

#include <algorithm>

ImportOffer ImportOffer::fromRows(const Recordset& rows)
{
    ImportOffer offer;
    for (int row = 0; row < rows.recordCount(); ++row)
        offer.employees.append({rows.value(row, QStringLiteral("EMPNUM")),
                                rows.value(row, QStringLiteral("DEPTCODE")),
                                rows.value(row, QStringLiteral("ACTIVE")) == QLatin1String("1")});
    // Every row names the same import.
    if (rows.recordCount() > 0) {
        offer.file = rows.value(0, QStringLiteral("FILENAME"));
        offer.appliedAt = GeneralDate::fromText(rows.value(0, QStringLiteral("IMPORTEDAT")))
                              .value_or(QDateTime());
    }
    if (std::none_of(offer.employees.cbegin(), offer.employees.cend(),
                     [](const Employee& employee) { return employee.active; }))
        return {};
    return offer;
}

QString ImportOffer::origin() const
{
    return QStringLiteral("%1, imported %2")
        .arg(QFileInfo(file).fileName(), GeneralDate::toText(appliedAt));
}
