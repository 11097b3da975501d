#include "Models/UsageArithmetic.h"

#include <QTest>

#include <limits>

using namespace UsageArithmetic;

namespace {
const QDateTime now(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
} // namespace

class TestUsageArithmetic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The three time texts, by the function and the seconds it gets (durations) or that lie between the date
    // and now (ages, positive in the past; reset intervals, positive in the future).
    void timeTexts_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        const struct {
            const char* function;
            double seconds;
            const char* text;
        } rows[] = {
            {"duration", 0, "0m"},
            {"duration", 59.9, "0m"},
            {"duration", 60, "1m"},
            {"duration", 3599, "59m"},
            {"duration", 3600, "1h 0m"},
            {"duration", 5400, "1h 30m"},
            {"duration", 86399, "23h 59m"},
            {"duration", 86400, "1d"},
            {"duration", 90000, "1d 1h"},
            {"duration", 90060, "1d 1h"},
            {"duration", 604800, "7d"},
            {"duration", notANumber, "0m"},
            {"duration", -inf, "0m"},
            {"duration", inf, "384307168202282325d 7h"},
            {"duration", 1e300, "384307168202282325d 7h"},
            {"age", -10, "agora"},
            {"age", 0, "agora"},
            {"age", 59, "agora"},
            {"age", 60, "Há 1m"},
            {"age", 3599, "Há 59m"},
            {"age", 3600, "Há 1h"},
            {"age", 7199, "Há 1h"},
            {"age", 90000, "Há 25h"},
            {"age", 2e11, "Há 55555555h"},
            {"age", -2e11, "agora"},
            {"reset", -5, "agora"},
            {"reset", 0, "agora"},
            {"reset", 30, "em 0m"},
            {"reset", 5400, "em 1h 30m"},
            {"reset", 2e11, "em 2314814d 19h"},
            {"reset", -2e11, "agora"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s %g", row.function, row.seconds)
                << QString::fromLatin1(row.function) << row.seconds << QString::fromUtf8(row.text);
    }

    void timeTexts() {
        QFETCH(QString, function);
        QFETCH(double, seconds);
        QFETCH(QString, text);
        if (function == u"duration")
            QCOMPARE(durationString(seconds), text);
        else if (function == u"age")
            QCOMPARE(relativeTime(now.addMSecs(qint64(-seconds * 1000)), now), text);
        else
            QCOMPARE(timeUntil(now.addMSecs(qint64(seconds * 1000)), now), text);
    }

    void projection_data() {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("resetIn"); // seconds; NaN: no reset date
        QTest::addColumn<double>("period");
        QTest::addColumn<QString>("text"); // null: no warning
        QTest::newRow("session, 40 % left") << 40.0 << 10800.0 << sessionPeriod << "em 1h 20m";
        QTest::newRow("session, 80 % left") << 80.0 << 10800.0 << sessionPeriod << QString();
        QTest::newRow("session, 5 % left") << 5.0 << 1000.0 << sessionPeriod << "em 14m";
        QTest::newRow("reset comes first") << 10.0 << 600.0 << sessionPeriod << QString();
        QTest::newRow("weekly, 30 % left") << 30.0 << 259200.0 << weeklyPeriod << "em 1d 17h";
        QTest::newRow("first minute") << 40.0 << 17950.0 << sessionPeriod << QString();
        QTest::newRow("reset beyond the window") << 40.0 << 20000.0 << sessionPeriod << QString();
        QTest::newRow("99 % left") << 99.0 << 10800.0 << sessionPeriod << QString();
        QTest::newRow("98.9 % left") << 98.9 << 17900.0 << sessionPeriod << "em 2h 29m";
        QTest::newRow("0 % left") << 0.0 << 10800.0 << sessionPeriod << QString();
        QTest::newRow("NaN left") << notANumber << 10800.0 << sessionPeriod << QString();
        QTest::newRow("no reset date") << 40.0 << notANumber << sessionPeriod << QString();
        QTest::newRow("reset passed") << 40.0 << -1.0 << sessionPeriod << QString();
        QTest::newRow("endless window") << 40.0 << 10800.0 << inf << QString();
    }

    void projection() {
        QFETCH(double, left);
        QFETCH(double, resetIn);
        QFETCH(double, period);
        QFETCH(QString, text);
        const QDateTime reset = std::isnan(resetIn) ? QDateTime() : now.addSecs(qint64(resetIn));
        QCOMPARE(runsOutIn(left, reset, period, now).value_or(QString()), text);
    }

    void resetTimes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("parsed");
        const QDateTime ten(QDate(2025, 6, 1), QTime(10, 0), Qt::UTC);
        QTest::newRow("fraction, Z") << "2025-06-01T10:00:00.123Z" << ten.addMSecs(123);
        QTest::newRow("offset") << "2025-06-01T10:00:00+02:00" << ten.addSecs(-7200);
        QTest::newRow("long fraction") << "2025-06-01T10:00:00.123456-01:30" << ten.addMSecs(5400123);
        QTest::newRow("far future") << "9999-12-31T23:59:59Z"
                                    << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC);
        for (const char* bad :
             {"2025-06-01 10:00:00", "2025-06-01T10:00:00", "2025-06-01T10:00:00+0200",
              "2025-13-01T10:00:00Z", "2025-06-01T24:00:00Z", "0000-01-01T00:00:00Z", "2025-06-01t10:00:00z",
              "2025-06-01T10:00:00+24:00", "", "٢٠٢٥-06-01T10:00:00Z"})
            QTest::addRow("invalid %s", bad) << QString::fromUtf8(bad) << QDateTime();
    }

    void resetTimes() {
        QFETCH(QString, text);
        QFETCH(QDateTime, parsed);
        QCOMPARE(parseResetTime(text).value_or(QDateTime()), parsed);
    }

    // Percent, rounding and the drawn bar never overflow and never draw past the track.
    void guardedFigures_data() {
        QTest::addColumn<double>("utilization");
        QTest::addColumn<qint64>("wholeLeft");
        QTest::addColumn<double>("fraction");
        QTest::newRow("used up") << 100.0 << 0LL << 0.01;
        QTest::newRow("over") << 120.0 << 0LL << 0.01;
        QTest::newRow("negative") << -5.0 << 105LL << 1.0;
        QTest::newRow("half rounds away") << 85.5 << 15LL << 0.145;
        QTest::newRow("19.5 left") << 80.5 << 20LL << 0.195;
        QTest::newRow("NaN") << notANumber << 0LL << 0.01;
        QTest::newRow("absurd negative") << -1e300 << std::numeric_limits<qint64>::max() << 1.0;
        QTest::newRow("minus infinity") << -inf << std::numeric_limits<qint64>::max() << 1.0;
    }

    void guardedFigures() {
        QFETCH(double, utilization);
        QFETCH(qint64, wholeLeft);
        QFETCH(double, fraction);
        QCOMPARE(rounded(leftPercent(utilization)), wholeLeft);
        QCOMPARE(drawnFraction(leftPercent(utilization)), fraction);
        QCOMPARE(rounded(-2.5), -3LL);
        QCOMPARE(truncated(-inf), std::numeric_limits<qint64>::min());
    }
};

QTEST_GUILESS_MAIN(TestUsageArithmetic)
#include "tst_UsageArithmetic.moc"
