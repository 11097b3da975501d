#include "Models/UsageArithmetic.h"

#include <QTest>

#include <limits>

using namespace UsageArithmetic;
using namespace Qt::StringLiterals;

namespace {
const QDateTime now(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
constexpr double inf = std::numeric_limits<double>::infinity(),
                 noValue = std::numeric_limits<double>::quiet_NaN();
} // namespace

class TestUsageArithmetic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // duration(a seconds); age(a seconds ago); reset(in a seconds); runsOut(a % left, reset in b s, session
    // window, or the weekly window for runsOutWeekly). NaN for b: no reset date.
    void texts() {
        const struct {
            const char* function;
            double a, b;
            const char* text;
        } rows[] = {
            // clang-format off
            {"duration", 59.9, 0, "0m"}, {"duration", 60, 0, "1m"}, {"duration", 3600, 0, "1h 0m"},
            {"duration", 5400, 0, "1h 30m"}, {"duration", 86400, 0, "1d"}, {"duration", 90060, 0, "1d 1h"},
            {"duration", 604800, 0, "7d"}, {"duration", noValue, 0, "0m"}, {"duration", -inf, 0, "0m"},
            {"duration", inf, 0, "384307168202282325d 7h"}, {"age", -10, 0, "agora"}, {"age", 59, 0, "agora"},
            {"age", 60, 0, "Há 1m"}, {"age", 7199, 0, "Há 1h"}, {"age", 90000, 0, "Há 25h"},
            {"age", 2e11, 0, "Há 55555555h"}, {"reset", 0, 0, "agora"}, {"reset", 30, 0, "em 0m"},
            {"reset", 5400, 0, "em 1h 30m"}, {"reset", 2e11, 0, "em 2314814d 19h"}, {"reset", -2e11, 0, "agora"},
            {"runsOut", 40, 10800, "em 1h 20m"}, {"runsOut", 80, 10800, ""}, {"runsOut", 5, 1000, "em 14m"},
            {"runsOut", 10, 600, ""}, {"runsOutWeekly", 30, 259200, "em 1d 17h"}, {"runsOut", 40, 17950, ""},
            {"runsOut", 40, 20000, ""}, {"runsOut", 99, 10800, ""}, {"runsOut", 98.9, 17900, "em 2h 29m"},
            {"runsOut", noValue, 10800, ""}, {"runsOut", 40, noValue, ""},
            // clang-format on
        };
        const auto in = [](double seconds) { return now.addMSecs(qint64(seconds * 1000)); };
        for (const auto& [function, a, b, expected] : rows) {
            const QString name = QString::fromLatin1(function);
            const QString text = name == u"duration" ? durationString(a)
                                 : name == u"age"    ? relativeTime(in(-a), now)
                                 : name == u"reset"
                                     ? timeUntil(in(a), now)
                                     : runsOutIn(a, std::isnan(b) ? QDateTime() : in(b),
                                                 name == u"runsOut" ? sessionPeriod : weeklyPeriod, now)
                                           .value_or(QString());
            QVERIFY2(text == QString::fromUtf8(expected),
                     qPrintable(u"%1 %2 %3: %4"_s.arg(name).arg(a).arg(b).arg(text)));
        }
    }

    void resetTimes() {
        const QDateTime ten(QDate(2025, 6, 1), QTime(10, 0), Qt::UTC);
        QCOMPARE(parseResetTime(QStringLiteral("2025-06-01T10:00:00.123Z")), ten.addMSecs(123));
        QCOMPARE(parseResetTime(QStringLiteral("2025-06-01T10:00:00+02:00")), ten.addSecs(-7200));
        QCOMPARE(parseResetTime(QStringLiteral("2025-06-01T10:00:00.1234-01:30")), ten.addMSecs(5400123));
        for (const char* bad : {"2025-06-01 10:00:00", "2025-06-01T10:00:00", "2025-06-01T10:00:00+0200",
                                "2025-13-01T10:00:00Z", "2025-06-01T24:00:00Z", "0000-01-01T00:00:00Z",
                                "2025-06-01t10:00:00z", "2025-06-01T10:00:00+24:00", "٢٠٢٥-06-01T10:00:00Z"})
            QVERIFY2(!parseResetTime(QString::fromUtf8(bad)), bad);
    }
};

QTEST_GUILESS_MAIN(TestUsageArithmetic)
#include "tst_UsageArithmetic.moc"
