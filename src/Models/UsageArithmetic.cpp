#include "Models/UsageArithmetic.h"

#include "Foundation/L10n.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace UsageArithmetic {

namespace {

constexpr double twoTo63 = 9223372036854775808.0;

// Seconds from `from` to `to`, as a double so that no date pair can overflow.
double secondsBetween(const QDateTime& from, const QDateTime& to) {
    return (double(to.toMSecsSinceEpoch()) - double(from.toMSecsSinceEpoch())) / 1000.0;
}

QString future(const QString& duration) {
    return L10n::formatted("uso.tempo.futuro", "em %@",
                           "Daqui a quanto tempo algo acontece; %@ é a duração já formatada", {duration});
}

QString now() {
    return L10n::text("uso.tempo.agora", "agora", "Momento presente, usado em \"Reset agora\"");
}

} // namespace

qint64 truncated(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= twoTo63)
        return std::numeric_limits<qint64>::max();
    if (value < -twoTo63)
        return std::numeric_limits<qint64>::min();
    return qint64(value);
}

qint64 rounded(double value) {
    if (std::isnan(value))
        return 0;
    return truncated(std::round(value));
}

double leftPercent(double utilization) {
    const double left = 100 - utilization;
    return left >= 0 ? left : 0; // NaN fails the test too
}

double drawnFraction(double leftPercent) {
    const double fraction = leftPercent / 100;
    if (!(fraction > 0.01))
        return 0.01;
    return std::min(fraction, 1.0);
}

std::optional<QDateTime> parseResetTime(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})(?:\.(\d+))?(?:(Z)|([+-])(\d{2}):(\d{2}))$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto number = [&](int group) { return match.capturedView(group).toInt(); };
    const QDate date(number(1), number(2), number(3));
    const int milliseconds = match.capturedView(7).left(3).toString().leftJustified(3, u'0').toInt();
    const QTime time(number(4), number(5), number(6), milliseconds);
    const int offsetHours = number(10), offsetMinutes = number(11);
    if (!date.isValid() || !time.isValid() || offsetHours > 23 || offsetMinutes > 59)
        return std::nullopt;
    const int sign = match.capturedView(9) == u"-" ? -1 : 1;
    const QDateTime parsed(date, time, Qt::OffsetFromUTC, sign * (offsetHours * 3600 + offsetMinutes * 60));
    if (!parsed.isValid())
        return std::nullopt;
    return parsed.toUTC();
}

QString relativeTime(const QDateTime& date, const QDateTime& current) {
    const double elapsed = secondsBetween(date, current);
    if (!(elapsed >= 60))
        return now();
    if (elapsed < 3600)
        return L10n::formatted("uso.tempo.ha_minutos", "Há %lldm",
                               "Há quantos minutos os dados foram atualizados; %lld é o número de minutos",
                               {truncated(elapsed / 60)});
    return L10n::formatted("uso.tempo.ha_horas", "Há %lldh",
                           "Há quantas horas os dados foram atualizados; %lld é o número de horas",
                           {truncated(elapsed / 3600)});
}

QString durationString(double seconds) {
    const qint64 hours = truncated(seconds / 3600);
    const qint64 minutes = truncated(std::fmod(seconds, 3600) / 60);
    if (hours < 1)
        return L10n::formatted("uso.duracao.minutos", "%lldm",
                               "Duração em minutos; %lld é o número de minutos", {minutes});
    if (hours < 24)
        return L10n::formatted("uso.duracao.horas_minutos", "%1$lldh %2$lldm",
                               "Duração em horas e minutos; %1$lld horas, %2$lld minutos", {hours, minutes});
    const qint64 days = hours / 24, restHours = hours % 24;
    if (restHours == 0)
        return L10n::formatted("uso.duracao.dias", "%lldd", "Duração em dias; %lld é o número de dias",
                               {days});
    return L10n::formatted("uso.duracao.dias_horas", "%1$lldd %2$lldh",
                           "Duração em dias e horas; %1$lld dias, %2$lld horas", {days, restHours});
}

QString timeUntil(const QDateTime& date, const QDateTime& current) {
    const double interval = secondsBetween(current, date);
    if (!(interval > 0))
        return now();
    return future(durationString(interval));
}

std::optional<QString> runsOutIn(double leftPercent, const QDateTime& resetsAt, double periodDuration,
                                 const QDateTime& current) {
    if (!resetsAt.isValid() || !(leftPercent < 99 && leftPercent > 0))
        return std::nullopt;
    const double remaining = secondsBetween(current, resetsAt);
    if (!(remaining > 0))
        return std::nullopt;
    const double elapsed = periodDuration - remaining;
    if (!(elapsed > 60))
        return std::nullopt;
    const double rate = (100 - leftPercent) / elapsed;
    const double eta = leftPercent / rate;
    if (!(eta < remaining))
        return std::nullopt;
    return future(durationString(eta));
}

} // namespace UsageArithmetic
