#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace GeneralDate {

// The workstation's general date text of a date-time: the locale's short date with a
// four-digit year, a blank, and the long time without a time zone; the time is left out
// when it is exactly midnight. en_US: "12/8/2026 3:14:31 AM", "12/8/2026".
QString toText(const QDateTime& value, const QLocale& locale = QLocale());

// The same for a date-time as the store keeps it ("2026-12-08 03:14:31", or a date
// alone); "" when the text is not in that form.
QString storedToText(const QString& iso, const QLocale& locale = QLocale());
// The same as UTF-8, read from the stored text's bytes: the store's SQL writes hundreds
// of these for a page of rows, and this way makes no string of its own for a value in a
// locale with a numeric format. The text is written into one buffer this thread reuses:
// it stays valid until the thread's next call. Empty when not in the stored form.
QByteArrayView storedToUtf8(QByteArrayView iso, const QLocale& locale = QLocale());
// The same in the default locale, whose formats are read again only when `stamp` is not
// the one of the last call on this thread: the store passes one stamp per statement it
// runs, so that a page of rows reads the formats once, not for every value (reading
// them makes strings, and on Windows asks the system).
QByteArrayView storedToUtf8(QByteArrayView iso, quint64 stamp);
// The display format of a general date with its time ("M/d/yyyy h:mm:ss AP" in en_US),
// for controls that edit a date-time the way the program shows it.
QString format(const QLocale& locale = QLocale());
// Its date part alone ("M/d/yyyy" in en_US), for controls that edit a day.
QString dayFormat(const QLocale& locale = QLocale());
// The inverse: reads general date text (date alone or date and time) in the same locale.
// Also accepts ISO 8601 ("2026-12-08 03:14:31"), which servers and scripts use.
std::optional<QDateTime> fromText(const QString& text, const QLocale& locale = QLocale());

} // namespace GeneralDate
