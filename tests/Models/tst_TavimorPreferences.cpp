#include "InMemoryPreferences.h"
#include "Models/NotchHardwareProfile.h"
#include "Models/TavimorPreferences.h"

#include <QtTest>

#include <cmath>
#include <limits>

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
        QTest::newRow("zero") << QVariant(0) << qint64(0);
        QTest::newRow("integer") << QVariant(qint64(42)) << qint64(42);
        QTest::newRow("double truncates") << QVariant(5.9) << qint64(5);
        QTest::newRow("negative double truncates") << QVariant(-5.9) << qint64(-5);
        QTest::newRow("NaN") << QVariant(std::nan("")) << qint64(0);
        QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << qint64(0);
        QTest::newRow("huge double saturates") << QVariant(1e30) << maximum;
        QTest::newRow("huge negative double saturates") << QVariant(-1e30) << minimum;
        QTest::newRow("true") << QVariant(true) << qint64(1);
        QTest::newRow("false") << QVariant(false) << qint64(0);
        QTest::newRow("text") << QVariant(QStringLiteral("30")) << qint64(30);
        QTest::newRow("leading digits") << QVariant(QStringLiteral("12abc")) << qint64(12);
        QTest::newRow("decimal text") << QVariant(QStringLiteral("5.9")) << qint64(5);
        QTest::newRow("blanks and sign") << QVariant(QStringLiteral(" \t-17 min")) << qint64(-17);
        QTest::newRow("plus sign") << QVariant(QStringLiteral("+8")) << qint64(8);
        QTest::newRow("non-numeric text") << QVariant(QStringLiteral("abc")) << qint64(0);
        QTest::newRow("sign alone") << QVariant(QStringLiteral("- 3")) << qint64(0);
        QTest::newRow("empty text") << QVariant(QString()) << qint64(0);
        QTest::newRow("text overflow") << QVariant(QStringLiteral("99999999999999999999")) << maximum;
        QTest::newRow("text minimum") << QVariant(QStringLiteral("-9223372036854775808")) << minimum;
        QTest::newRow("text negative overflow")
            << QVariant(QStringLiteral("-9223372036854775809")) << minimum;
        QTest::newRow("list") << QVariant(QStringList{QStringLiteral("5")}) << qint64(0);
        QTest::newRow("bytes") << QVariant(QByteArray("5")) << qint64(0);
        QTest::newRow("unsigned beyond range") << QVariant(std::numeric_limits<quint64>::max()) << maximum;
    }

    void integerReading() {
        QFETCH(QVariant, stored);
        QFETCH(qint64, expected);
        InMemoryPreferences preferences;
        preferences.setValue(QStringLiteral("tavimor.blinkIntervalMin"), stored);
        QCOMPARE(TavimorPreferences::intValue(preferences, QStringLiteral("tavimor.blinkIntervalMin"), 5),
                 expected);
    }

    void absentKeyGivesTheDefault() {
        InMemoryPreferences preferences;
        QCOMPARE(TavimorPreferences::intValue(preferences, QStringLiteral("tavimor.blinkIntervalMin"), 5), 5);
        QCOMPARE(TavimorPreferences::intValue(preferences, QStringLiteral("tavimor.postureIntervalMin"), 30),
                 30);
    }

    void positions_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<ReminderPosition>("expected");
        QTest::newRow("absent") << QVariant() << ReminderPosition::top;
        QTest::newRow("exact") << QVariant(QStringLiteral("bottomTrailing"))
                               << ReminderPosition::bottomTrailing;
        QTest::newRow("first case") << QVariant(QStringLiteral("topLeading")) << ReminderPosition::topLeading;
        QTest::newRow("capital") << QVariant(QStringLiteral("Top")) << ReminderPosition::top;
        QTest::newRow("other word") << QVariant(QStringLiteral("middle")) << ReminderPosition::top;
        QTest::newRow("padded") << QVariant(QStringLiteral(" center")) << ReminderPosition::top;
        QTest::newRow("not text") << QVariant(4) << ReminderPosition::top;
    }

    void positions() {
        QFETCH(QVariant, stored);
        QFETCH(ReminderPosition, expected);
        InMemoryPreferences preferences;
        if (stored.isValid()) {
            preferences.setValue(QStringLiteral("tavimor.blinkPosition"), stored);
            preferences.setValue(QStringLiteral("tavimor.posturePosition"), stored);
        }
        QCOMPARE(TavimorPreferences::blinkPosition(preferences), expected);
        QCOMPARE(TavimorPreferences::posturePosition(preferences), expected);
    }

    void sizes_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<ReminderSize>("expected");
        QTest::newRow("absent") << QVariant() << ReminderSize::small;
        QTest::newRow("large") << QVariant(QStringLiteral("large")) << ReminderSize::large;
        QTest::newRow("medium") << QVariant(QStringLiteral("medium")) << ReminderSize::medium;
        QTest::newRow("capitals") << QVariant(QStringLiteral("LARGE")) << ReminderSize::small;
        QTest::newRow("list") << QVariant(QStringList{QStringLiteral("large")}) << ReminderSize::small;
    }

    void sizes() {
        QFETCH(QVariant, stored);
        QFETCH(ReminderSize, expected);
        InMemoryPreferences preferences;
        if (stored.isValid()) {
            preferences.setValue(QStringLiteral("tavimor.blinkSize"), stored);
            preferences.setValue(QStringLiteral("tavimor.postureSize"), stored);
        }
        QCOMPARE(TavimorPreferences::blinkSize(preferences), expected);
        QCOMPARE(TavimorPreferences::postureSize(preferences), expected);
    }

    void rawValuesRoundTripInCaseOrder() {
        const QStringList positions = {"topLeading",    "top",    "topTrailing",
                                       "leading",       "center", "trailing",
                                       "bottomLeading", "bottom", "bottomTrailing"};
        for (int index = 0; index < positions.size(); ++index) {
            const auto position = ReminderPlacement::positionFromRaw(positions[index]);
            QVERIFY(position);
            QCOMPARE(int(*position), index);
            QCOMPARE(ReminderPlacement::rawValue(*position), positions[index]);
        }
        QCOMPARE(ReminderPlacement::rawValue(ReminderSize::medium), QStringLiteral("medium"));
        QVERIFY(!ReminderPlacement::sizeFromRaw(QStringLiteral("Small")));
    }

    void hardwareProfile() {
        const NotchHardwareProfile mac17 = NotchHardwareProfile::forModel(QStringLiteral("Mac17,3"));
        QCOMPARE(mac17.musicSideWidth, 34.0);
        QCOMPARE(mac17.modelName, QStringLiteral("MacBook Air (Mac17,3)"));
        const NotchHardwareProfile prefixOnly = NotchHardwareProfile::forModel(QStringLiteral("Mac17,30"));
        QCOMPARE(prefixOnly.musicSideWidth, 32.0);
        QCOMPARE(prefixOnly.modelName, QStringLiteral("MacBook Air (Mac17,30)"));
        const NotchHardwareProfile unknown = NotchHardwareProfile::forModel(QStringLiteral("unknown"));
        QCOMPARE(unknown.modelName, QStringLiteral("Mac"));
        QCOMPARE(unknown.musicSideWidth, 32.0);
        QCOMPARE(unknown.notchWidthPadding, 0.0);
        QCOMPARE(unknown.compactVisibleDrop, 6.0);
        QCOMPARE(unknown.musicHorizontalInset, 8.0);
        QCOMPARE(unknown.musicBottomInset, 2.0);
    }
};

QTEST_GUILESS_MAIN(TavimorPreferencesTest)
#include "tst_TavimorPreferences.moc"
