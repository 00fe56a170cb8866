#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <optional>

// What the user types into input boxes and the record window's date and count
// boxes, read the way the program reads it. Dates and numbers follow the
// default QLocale (the system's, unless a test sets another).
namespace TypedValues {

// A number as an input box answer gives it: surrounding spaces allowed, the
// locale's or the C decimal point and grouping, an exponent. Rounded to the
// nearest whole number, a half going to the even one. Nothing when the text is
// not a number or the whole number does not fit in 32 bits.
std::optional<qint32> WholeNumber(const QString& typed);

// The date a person typed: in the locale's short date format with a four-digit
// year, as month-day-year with hyphens, or as ISO year-month-day. Leading zeros
// of month and day may be left out. Nothing when the text is none of these or
// not a real day.
std::optional<QDate> DateTyped(const QString& typed);

// Today's date as the record window offers it for a new record: the locale's
// short format with a four-digit year, or the hyphenated month-day-year form
// when the short form of some day would not fit the 10 characters a record
// keeps.
QString DateForNewRecord(const QDate& today);

// The text to keep for a date box: the typed date as typed when it reads as a
// date and fits 10 characters; the same day as month-day-year when it reads as
// a date but is longer (cutting it would spoil it); else today's date.
QString DateToStore(const QString& typed, const QDate& today);

// The pick count to keep for a count box: the typed whole number, or 0 when
// the text is not a number, is negative or does not fit.
qint32 CountToStore(const QString& typed);

// The program's own date text, month-day-year with hyphens (07-04-2004).
QString HyphenatedDate(const QDate& date);

}  // namespace TypedValues
