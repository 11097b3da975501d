#include "InMemoryPreferences.h"
#include "Models/NotchHardwareProfile.h"
#include "Models/TavimorPreferences.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ReminderPosition)
Q_DECLARE_METATYPE(ReminderSize)

class TavimorPreferencesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void integerReading_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<qint64>("expected");
        constexpr qint64 maximum = std::numeric_limits<qint64>::max();
        constexpr qint64 minimum = std::numeric_limits<qint64>::min();
        QTest::newRow("absent gives the default") << QVariant() << qint64(5);
        QTest::newRow("negative double truncates") << QVariant(-5.9) << qint64(-5);
        QTest::newRow("NaN") << QVariant(std::nan("")) << qint64(0);
        QTest::newRow("huge negative double saturates") << QVariant(-1e30) << minimum;
        QTest::newRow("blanks, sign, trailing text") << QVariant(u" \t-17 min"_s) << qint64(-17);
        QTest::newRow("sign alone") << QVariant(u"- 3"_s) << qint64(0);
        QTest::newRow("text overflow") << QVariant(u"99999999999999999999"_s) << maximum;
        QTest::newRow("text negative overflow") << QVariant(u"-9223372036854775809"_s) << minimum;
        QTest::newRow("list") << QVariant(QStringList{u"5"_s}) << qint64(0);
        QTest::newRow("unsigned beyond range") << QVariant(std::numeric_limits<quint64>::max()) << maximum;
    }

    void integerReading() {
        QFETCH(QVariant, stored);
        QFETCH(qint64, expected);
        InMemoryPreferences preferences;
        if (stored.isValid())
            preferences.setValue(u"tavimor.blinkIntervalMin"_s, stored);
        QCOMPARE(TavimorPreferences::intValue(preferences, u"tavimor.blinkIntervalMin"_s, 5), expected);
    }

    // Stored placement values are case-sensitive and fall back to top / small.
    void placements_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<ReminderPosition>("position");
        QTest::addColumn<ReminderSize>("size");
        QTest::newRow("absent") << QVariant() << ReminderPosition::top << ReminderSize::small;
        QTest::newRow("exact") << QVariant(u"bottomTrailing"_s) << ReminderPosition::bottomTrailing
                               << ReminderSize::small;
        QTest::newRow("capitals") << QVariant(u"LARGE"_s) << ReminderPosition::top << ReminderSize::small;
        QTest::newRow("size") << QVariant(u"large"_s) << ReminderPosition::top << ReminderSize::large;
        QTest::newRow("list") << QVariant(QStringList{u"large"_s}) << ReminderPosition::top
                              << ReminderSize::small;
    }

    void placements() {
        QFETCH(QVariant, stored);
        QFETCH(ReminderPosition, position);
        QFETCH(ReminderSize, size);
        InMemoryPreferences preferences;
        if (stored.isValid()) {
            for (const char* key : {"blinkPosition", "posturePosition", "blinkSize", "postureSize"})
                preferences.setValue(u"tavimor."_s + QLatin1String(key), stored);
        }
        QCOMPARE(TavimorPreferences::blinkPosition(preferences), position);
        QCOMPARE(TavimorPreferences::posturePosition(preferences), position);
        QCOMPARE(TavimorPreferences::blinkSize(preferences), size);
        QCOMPARE(TavimorPreferences::postureSize(preferences), size);
    }

    void hardwareProfileMatchesTheWholeIdentifier() {
        QCOMPARE(NotchHardwareProfile::forModel(u"Mac17,3"_s).musicSideWidth, 34.0);
        QCOMPARE(NotchHardwareProfile::forModel(u"Mac17,30"_s).musicSideWidth, 32.0);
    }
};

QTEST_GUILESS_MAIN(TavimorPreferencesTest)
#include "tst_TavimorPreferences.moc"
