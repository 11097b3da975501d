#include "InMemoryPreferences.h"
#include "Theme/AppearanceSettings.h"
#include "Theme/Springs.h"
#include "Theme/TavimorTheme.h"

#include <QSignalSpy>
#include <QtTest>

class TavimorThemeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void colorFromHex_data() {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("blanks, lower case, no hash") << QStringLiteral(" 0b0c0f\n") << QColor(11, 12, 15);
        QTest::newRow("0X prefix behind hash") << QStringLiteral("#0X1A1B1F") << QColor(0x1A, 0x1B, 0x1F);
        QTest::newRow("no shorthand") << QStringLiteral("#FFF") << QColor(0, 15, 255);
        QTest::newRow("stops at non-hex") << QStringLiteral("#12G456") << QColor(0, 0, 0x12);
        QTest::newRow("no leading digit") << QStringLiteral("#zz1234") << QColor(Qt::black);
        QTest::newRow("unicode punctuation trimmed") << QStringLiteral("«#E4FC00»") << QColor(0xE4, 0xFC, 0);
        QTest::newRow("overflow saturates") << QStringLiteral("123456789ABCDEF0123") << QColor(Qt::white);
    }

    void colorFromHex() {
        QFETCH(QString, hex);
        QFETCH(QColor, expected);
        const QColor color = TavimorTheme::colorFromHex(hex);
        QCOMPARE(color, expected);
        QCOMPARE(color.alphaF(), 1.0);
    }

    void storedModeIsMatchedExactly() {
        QVERIFY(!AppearanceMode::fromRaw(QStringLiteral("Liquid")));
        QCOMPARE(AppearanceMode::fromStored(QStringLiteral("Liquid")), TavimorAppearanceMode::dark);
        QCOMPARE(AppearanceMode::fromStored(QStringLiteral("liquid")), TavimorAppearanceMode::liquid);

        InMemoryPreferences preferences;
        QVERIFY(AppearanceSettings(preferences).isLiquid()); // absent: the default
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), 1);
        QVERIFY(AppearanceSettings(preferences).isLiquid()); // not text: the default
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), QString());
        QVERIFY(!AppearanceSettings(preferences).isLiquid());
    }

    void appearanceNotifiesOnlyOnRealChanges() {
        InMemoryPreferences preferences;
        AppearanceSettings settings(preferences);
        QSignalSpy rawSpy(&settings, &AppearanceSettings::modeRawChanged);
        QSignalSpy liquidSpy(&settings, &AppearanceSettings::isLiquidChanged);
        const QString key = QStringLiteral("tavimor.appearanceMode");

        preferences.setValue(key, QStringLiteral("liquid")); // same as the default
        preferences.setValue(QStringLiteral("tavimor.other"), QStringLiteral("dark"));
        preferences.setValue(key, QStringLiteral("dark"));
        preferences.setValue(key, QStringLiteral("Dark")); // other text, still dark
        QCOMPARE(rawSpy.count(), 2);
        QCOMPARE(liquidSpy.count(), 1);

        preferences.remove(key);
        QCOMPARE(settings.modeRaw(), QStringLiteral("liquid"));
        QCOMPARE(rawSpy.count(), 3);
        QCOMPARE(liquidSpy.count(), 2);
    }
    // An animation ends where its curve ends: exactly at 1, however far the spring overshot on the way.
    void curvesStartAtZeroAndEndExactlyAtOne() {
        for (const QEasingCurve& curve : {Springs::open(), Springs::close(), Springs::compactBar(),
                                          Springs::closeButton(), Springs::blink()}) {
            QCOMPARE(curve.valueForProgress(0), 0.0);
            QCOMPARE(curve.valueForProgress(1), 1.0);
            QVERIFY(qAbs(curve.valueForProgress(0.999) - 1) < 0.002);
        }
        QVERIFY(Springs::open().valueForProgress(0.5) > 1); // the opening spring overshoots
    }
};

QTEST_GUILESS_MAIN(TavimorThemeTest)
#include "tst_TavimorTheme.moc"
