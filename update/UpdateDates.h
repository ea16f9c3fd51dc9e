#pragma once

#include <QDate>
#include <QDateTime>
#include <QStringView>

#include <optional>

// Dates of the update facility are counted, as in its stored settings, in
// days since 30 December 1899; the fraction is the time of day.
namespace UpdateDates {

double fromDate(QDate date);
// Local date and time of day.
double fromDateTime(const QDateTime &dateTime);
// The day a count falls on (its fraction dropped); invalid for counts that
// are not finite or lie outside the years 1 to 9999.
QDate toDate(double serial);

// A date as the program's German texts write it: day.month.year, with one or
// two digits for day and month and four (or two, meaning 20xx) for the year,
// whatever the system's locale says. Blanks around it are allowed.
std::optional<QDate> parseGermanDate(QStringView text);

} // namespace UpdateDates
