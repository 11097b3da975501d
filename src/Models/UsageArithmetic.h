#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The numbers and time texts of the usage quota: percent left of a window, the drawn bar, reset times and the
// projection of when a window runs out. Pure functions; `now` is passed in so that every caller reads the
// clock once. Every double reaches an integer through truncated() or rounded(), which never overflow.
namespace UsageArithmetic {

inline constexpr double sessionPeriod = 18000; // 5 hours, in seconds
inline constexpr double weeklyPeriod = 604800; // 7 days, in seconds

// Toward zero; NaN gives 0 and values beyond 64 bits saturate.
qint64 truncated(double value);
// To the nearest integer, halves away from zero; NaN gives 0 and values beyond 64 bits saturate.
qint64 rounded(double value);

// Percent of a window left for a utilization: 100 − utilization, never below 0 (NaN gives 0), no upper bound.
double leftPercent(double utilization);
// Share of the track a bar fills: at least 1 %, at most the whole track, whatever the percent.
double drawnFraction(double leftPercent);

// An internet date-time ("2025-06-01T10:00:00Z", "…T10:00:00.123+02:00"); anything else gives none.
std::optional<QDateTime> parseResetTime(const QString& text);

// Age of the data: "agora", "Há 5m", "Há 25h".
QString relativeTime(const QDateTime& date, const QDateTime& now);
// "0m", "1h 30m", "1d", "1d 1h".
QString durationString(double seconds);
// "agora" once the date has come, else "em " and the duration.
QString timeUntil(const QDateTime& date, const QDateTime& now);
// When the window runs out at the rate it has been used so far, if that comes before its reset.
std::optional<QString> runsOutIn(double leftPercent, const QDateTime& resetsAt, double periodDuration,
                                 const QDateTime& now);

} // namespace UsageArithmetic
