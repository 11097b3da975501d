#include "InMemoryPreferences.h"
#include "Theme/AppearanceSettings.h"
#include "Theme/TavimorTheme.h"

#include <QSignalSpy>
#include <QtTest>

class TavimorThemeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void colorFromHex_data() {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QColor>("expected");
        const QColor panel(11, 12, 15);
        QTest::newRow("hash") << QStringLiteral("#0B0C0F") << panel;
        QTest::newRow("no hash") << QStringLiteral("0B0C0F") << panel;
        QTest::newRow("blanks and lower case") << QStringLiteral(" #0b0c0f\n") << panel;
        QTest::newRow("0x prefix") << QStringLiteral("0x1A1B1F") << QColor(0x1A, 0x1B, 0x1F);
        QTest::newRow("0X prefix behind hash") << QStringLiteral("#0X1A1B1F") << QColor(0x1A, 0x1B, 0x1F);
        QTest::newRow("empty") << QString() << QColor(Qt::black);
        QTest::newRow("lone hash") << QStringLiteral("#") << QColor(Qt::black);
        QTest::newRow("no shorthand") << QStringLiteral("#FFF") << QColor(0, 15, 255);
        QTest::newRow("alpha pair ignored") << QStringLiteral("#80FF0000") << QColor(255, 0, 0);
        QTest::newRow("stops at non-hex") << QStringLiteral("#12G456") << QColor(0, 0, 0x12);
        QTest::newRow("no leading digit") << QStringLiteral("#zz1234") << QColor(Qt::black);
        QTest::newRow("interior blank stops") << QStringLiteral("#12 3456") << QColor(0, 0, 0x12);
        QTest::newRow("unicode punctuation trimmed")
            << QStringLiteral("«#E4FC00»") << QColor(0xE4, 0xFC, 0x00);
        QTest::newRow("16 digits") << QStringLiteral("FFFFFFFFFF123456") << QColor(0x12, 0x34, 0x56);
        QTest::newRow("overflow saturates") << QStringLiteral("123456789ABCDEF0123") << QColor(Qt::white);
    }

    void colorFromHex() {
        QFETCH(QString, hex);
        QFETCH(QColor, expected);
        const QColor color = TavimorTheme::colorFromHex(hex);
        QCOMPARE(color, expected);
        QCOMPARE(color.alphaF(), 1.0);
        QCOMPARE(color.spec(), QColor::Rgb);
    }

    void paletteValues() {
        QCOMPARE(TavimorTheme::background(), QColor(0x0B, 0x0C, 0x0F));
        QCOMPARE(TavimorTheme::surface(), QColor(0x1A, 0x1B, 0x1F));
        QCOMPARE(TavimorTheme::accent(), QColor(0xE4, 0xFC, 0x00));
        QVERIFY(qAbs(TavimorTheme::compactText().alphaF() - 0.88) < 1e-4);
        QCOMPARE(TavimorTheme::separator().rgb(), QColor(Qt::white).rgb());
        QVERIFY(qAbs(TavimorTheme::separator().alphaF() - 0.1) < 1e-4);
        QCOMPARE(TavimorTheme::secondaryText(true), TavimorTheme::secondaryLabel());
        QCOMPARE(TavimorTheme::secondaryText(false), TavimorTheme::muted());
        QCOMPARE(TavimorTheme::cardFill(false).rgb(), TavimorTheme::surface().rgb());
        QVERIFY(qAbs(TavimorTheme::cardFill(false).alphaF() - 0.55) < 1e-4);
        QVERIFY(TavimorTheme::cardFill(true).alphaF() < 1.0);
    }

    void fonts() {
        QCOMPARE(TavimorTheme::body().pixelSize(), 13);
        QCOMPARE(TavimorTheme::body().weight(), QFont::Normal);
        QCOMPARE(TavimorTheme::label().pixelSize(), 10);
        QCOMPARE(TavimorTheme::label().weight(), QFont::DemiBold);
        QCOMPARE(TavimorTheme::sectionTitle().pixelSize(), 11);
        QCOMPARE(TavimorTheme::sectionTitle().weight(), QFont::DemiBold);
    }

    void appearanceModeCases() {
        QCOMPARE(AppearanceMode::allCases(),
                 (QList<TavimorAppearanceMode>{TavimorAppearanceMode::dark, TavimorAppearanceMode::liquid}));
        QCOMPARE(AppearanceMode::fromRaw(QStringLiteral("dark")), TavimorAppearanceMode::dark);
        QCOMPARE(AppearanceMode::fromRaw(QStringLiteral("liquid")), TavimorAppearanceMode::liquid);
        QVERIFY(!AppearanceMode::fromRaw(QStringLiteral("Liquid")));
        QCOMPARE(AppearanceMode::fromStored(QStringLiteral("Liquid")), TavimorAppearanceMode::dark);
        QCOMPARE(AppearanceMode::fromStored(QStringLiteral("glass")), TavimorAppearanceMode::dark);
        QCOMPARE(AppearanceMode::title(TavimorAppearanceMode::dark), QStringLiteral("Dark"));
        QCOMPARE(AppearanceMode::description(TavimorAppearanceMode::dark),
                 QStringLiteral("Preto sólido, como hoje."));
        QCOMPARE(AppearanceMode::description(TavimorAppearanceMode::liquid),
                 QStringLiteral("Liquid Glass nativo quando disponível."));
    }

    void appearanceDerivesTheModeFromTheStoredText() {
        InMemoryPreferences preferences;
        AppearanceSettings absent(preferences);
        QCOMPARE(absent.modeRaw(), QStringLiteral("liquid"));
        QVERIFY(absent.isLiquid());

        for (const QString& stored : {QStringLiteral("dark"), QStringLiteral("Liquid"), QStringLiteral("")}) {
            preferences.setValue(QStringLiteral("tavimor.appearanceMode"), stored);
            AppearanceSettings settings(preferences);
            QCOMPARE(settings.modeRaw(), stored);
            QVERIFY(!settings.isLiquid());
        }
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), 1);
        QVERIFY(AppearanceSettings(preferences).isLiquid()); // not text: the default applies
    }

    void appearanceNotifiesOnlyOnRealChanges() {
        InMemoryPreferences preferences;
        AppearanceSettings settings(preferences);
        QSignalSpy rawSpy(&settings, &AppearanceSettings::modeRawChanged);
        QSignalSpy liquidSpy(&settings, &AppearanceSettings::isLiquidChanged);
        const QString key = QStringLiteral("tavimor.appearanceMode");

        preferences.setValue(key, QStringLiteral("liquid")); // same as the default
        preferences.setValue(QStringLiteral("tavimor.other"), QStringLiteral("dark"));
        QCOMPARE(rawSpy.count(), 0);
        QCOMPARE(liquidSpy.count(), 0);

        preferences.setValue(key, QStringLiteral("dark"));
        QCOMPARE(rawSpy.count(), 1);
        QCOMPARE(liquidSpy.count(), 1);
        QVERIFY(!settings.isLiquid());

        preferences.setValue(key, QStringLiteral("Dark")); // other text, still dark
        QCOMPARE(rawSpy.count(), 2);
        QCOMPARE(liquidSpy.count(), 1);

        preferences.remove(key);
        QCOMPARE(settings.modeRaw(), QStringLiteral("liquid"));
        QCOMPARE(rawSpy.count(), 3);
        QCOMPARE(liquidSpy.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TavimorThemeTest)
#include "tst_TavimorTheme.moc"
