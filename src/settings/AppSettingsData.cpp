#include "AppSettingsData.h"

#include "context/AppContext.h"
#include "data/SqlText.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString TimeFormat = QStringLiteral("HH:mm");

QString jsonText(const QJsonArray& array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString timeText(const QTime& time)
{
    return time.isValid() ? time.toString(TimeFormat) : QString();
}

MealModeSetting modeFrom(const Recordset& rows, int row)
{
    MealModeSetting setting;
    setting.mealMode = rows.value(row, QStringLiteral("MEALMODE"));
    bool ok = false;
    const int limit = rows.value(row, QStringLiteral("DAILYLIMIT")).toInt(&ok);
    if (ok)
        setting.dailyLimit = limit;
    setting.limitAction = rows.value(row, QStringLiteral("LIMITACTION")) == QLatin1String("B")
                              ? LimitAction::Block
                              : LimitAction::Warn;
    setting.serveFrom = QTime::fromString(rows.value(row, QStringLiteral("SERVEFROM")), TimeFormat);
    setting.serveTo = QTime::fromString(rows.value(row, QStringLiteral("SERVETO")), TimeFormat);
    return setting;
}

} // namespace

AppSettings AppSettingsData::load()
{
    return settingsFrom(m_context.open(loadText()));
}

AppSettings AppSettingsData::settingsFrom(const Recordset& rows)
{
    if (rows.eof())
        return AppSettings::defaults();
    AppSettings settings;
    for (int row = 0; row < rows.recordCount(); ++row)
        settings.mealModes.append(modeFrom(rows, row));
    settings.scanMode = rows.value(0, QStringLiteral("SCANMODE")) == QLatin1String("1");
    settings.keyboardEntry = rows.value(0, QStringLiteral("KEYBOARDENTRY")) == QLatin1String("1");
    settings.bulkTagging = rows.value(0, QStringLiteral("BULKTAGGING")) == QLatin1String("1");
    settings.keepServingOffline =
        rows.value(0, QStringLiteral("KEEPSERVINGOFFLINE")) == QLatin1String("1");
    settings.fittedColumns = rows.value(0, QStringLiteral("FITTEDCOLUMNS")) == QLatin1String("1");
    const int timeout = rows.value(0, QStringLiteral("STATEMENTTIMEOUT")).toInt();
    settings.statementTimeout = timeout >= 1 && timeout <= AppSettings::kMaxStatementTimeout
                                    ? timeout
                                    : AppSettings::kDefaultStatementTimeout;
    const int day = rows.value(0, QStringLiteral("FIRSTDAYOFWEEK")).toInt();
    settings.firstDayOfWeek = day >= 1 && day <= 7 ? Qt::DayOfWeek(day) : Qt::Monday;
    settings.siteName = rows.value(0, QStringLiteral("SITENAME"));
    settings.closedThrough =
        QDate::fromString(rows.value(0, QStringLiteral("CLOSEDTHROUGH")), Qt::ISODate);
    return settings;
}

void AppSettingsData::save(const AppSettings& settings)
{
    const QString user = m_context.userCode();
    m_context.execute(saveText(settings, user));
}

void AppSettingsData::closeThrough(const QDate& day)
{
    const QString user = m_context.userCode();
    m_context.execute(closeThroughText(day, user));
}

QList<LimitWarning> AppSettingsData::warnings(const QString& empNum, const QStringList& mealModes)
{
    QList<LimitWarning> out;
    if (mealModes.isEmpty())
        return out;
    const Recordset rows = m_context.open(checkText(empNum, mealModes));
    for (int row = 0; row < rows.recordCount(); ++row) {
        if (rows.value(row, QStringLiteral("LIMITACTION")) != QLatin1String("W"))
            continue;
        out.append({rows.value(row, QStringLiteral("MEALMODE")),
                    rows.value(row, QStringLiteral("RECEIVED")).toInt(),
                    rows.value(row, QStringLiteral("DAILYLIMIT")).toInt(),
                    rows.value(row, QStringLiteral("ORDERED")).toInt()});
    }
    return out;
}

QString AppSettingsData::loadText()
{
    return QStringLiteral("Station..Load_TALO_AppSettings");
}

QString AppSettingsData::saveText(const AppSettings& settings, const QString& user)
{
    QJsonArray modes;
    for (const MealModeSetting& setting : settings.mealModes) {
        modes.append(QJsonArray{
            setting.mealMode, setting.dailyLimit ? QString::number(*setting.dailyLimit) : QString(),
            setting.limitAction == LimitAction::Block ? QStringLiteral("B") : QStringLiteral("W"),
            timeText(setting.serveFrom), timeText(setting.serveTo)});
    }
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    return SqlText::call(QStringLiteral("Station..Save_TALO_AppSettings"),
                         {jsonText(modes), flag(settings.scanMode), flag(settings.keyboardEntry),
                          flag(settings.bulkTagging), QString::number(int(settings.firstDayOfWeek)),
                          settings.siteName, user, flag(settings.keepServingOffline),
                          flag(settings.fittedColumns),
                          QString::number(settings.statementTimeout)});
}

QString AppSettingsData::checkText(const QString& empNum, const QStringList& mealModes)
{
    const QJsonArray modes = QJsonArray::fromStringList(mealModes);
    // An empty date: the procedure counts the meals of the server's own day.
    return SqlText::call(QStringLiteral("Station..Check_TALO_MealLimits"),
                         {empNum, QString(), jsonText(modes)});
}

QString AppSettingsData::closeThroughText(const QDate& day, const QString& user)
{
    // ISO: read as the same day whatever the server's date order.
    return SqlText::call(QStringLiteral("Station..Save_TALO_ClosedThrough"),
                         {day.isValid() ? day.toString(Qt::ISODate) : QString(), user});
}

QString AppSettingsData::hospitalNameText()
{
    return QStringLiteral("Select HospitalName From Patient_Data..tbHospitalInfo");
}

QString AppSettingsData::hospitalName(const Recordset& info)
{
    return info.eof() ? QString() : info.value(0, 0);
}
