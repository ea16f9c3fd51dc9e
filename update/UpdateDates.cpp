#include "update/UpdateDates.h"

#include <QRegularExpression>

#include <cmath>

namespace UpdateDates {

namespace {
QDate epoch()
{
    return QDate(1899, 12, 30);
}
} // namespace

double fromDate(QDate date)
{
    return double(epoch().daysTo(date));
}

double fromDateTime(const QDateTime &dateTime)
{
    const QDateTime local = dateTime.toLocalTime();
    return fromDate(local.date()) + local.time().msecsSinceStartOfDay() / 86400000.0;
}

QDate toDate(double serial)
{
    if (!std::isfinite(serial) || serial < -693593.0 || serial > 2958465.0)
        return {};
    return epoch().addDays(qint64(std::floor(serial)));
}

std::optional<QDate> parseGermanDate(QStringView text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4}|\\d{2})\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int year = m.capturedView(3).toInt();
    if (m.capturedView(3).size() == 2)
        year += 2000;
    const QDate date(year, m.capturedView(2).toInt(), m.capturedView(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace UpdateDates
