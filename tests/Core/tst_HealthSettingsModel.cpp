#include "Core/HealthSettingsModel.h"
#include "Core/NotificationCenter.h"
#include "InMemoryPreferences.h"

#include <QtTest>

class HealthSettingsModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A write is clamped to the section's range, stored, then announced to the area's service; writing the
    // value already stored announces nothing.
    void writes_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("notification");
        QTest::newRow("break duration above the range")
            << QByteArray("breakDurationSec") << QVariant(5000) << "tavimor.breakDurationSec" << QVariant(900)
            << Notifications::breakSettingsChanged;
        QTest::newRow("work interval below the range")
            << QByteArray("breakWorkIntervalMin") << QVariant(0) << "tavimor.breakWorkIntervalMin"
            << QVariant(1) << Notifications::breakSettingsChanged;
        QTest::newRow("snoozes below zero")
            << QByteArray("breakSnoozes") << QVariant(-3) << "tavimor.breakSnoozes" << QVariant(0)
            << Notifications::breakSettingsChanged;
        QTest::newRow("blink switched on")
            << QByteArray("blinkEnabled") << QVariant(true) << "tavimor.blinkEnabled" << QVariant(true)
            << Notifications::blinkSettingsChanged;
        QTest::newRow("posture position")
            << QByteArray("posturePosition") << QVariant("bottomTrailing") << "tavimor.posturePosition"
            << QVariant("bottomTrailing") << Notifications::postureSettingsChanged;
        QTest::newRow("unknown size is ignored")
            << QByteArray("blinkSize") << QVariant("TOP") << "tavimor.blinkSize" << QVariant() << QString();
    }

    void writes() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, written);
        QFETCH(QString, key);
        QFETCH(QString, notification);
        InMemoryPreferences preferences;
        NotificationCenter notifications;
        HealthSettingsModel model(preferences, notifications);
        QStringList posted;
        for (const QString& name : {Notifications::breakSettingsChanged, Notifications::blinkSettingsChanged,
                                    Notifications::postureSettingsChanged})
            notifications.addObserver(
                name, &model, [&, name] { posted << name + "=" + preferences.value(key).toString(); });
        QVERIFY(model.setProperty(property, written));
        QTEST(preferences.value(key), "stored");
        model.setProperty(property, written);
        QCOMPARE(posted, notification.isEmpty()
                             ? QStringList()
                             : QStringList{notification + "=" + preferences.value(key).toString()});
    }

    // Stored values outside the range show at its edge, absent ones their defaults; previews post requests.
    void reads() {
        InMemoryPreferences preferences;
        NotificationCenter notifications;
        HealthSettingsModel model(preferences, notifications);
        preferences.setValue(QStringLiteral("tavimor.postureIntervalMin"), 100000);
        QCOMPARE(model.postureIntervalMin(), 120);
        QCOMPARE(model.blinkIntervalMin(), 5);
        QCOMPARE(model.blinkPosition(), QStringLiteral("top"));
        QCOMPARE(model.postureSize(), QStringLiteral("small"));
        int previews = 0;
        for (const QString& name :
             {Notifications::breakPreviewRequested, Notifications::blinkPreviewRequested,
              Notifications::posturePreviewRequested})
            notifications.addObserver(name, &model, [&] { ++previews; });
        model.previewBreak(), model.previewBlink(), model.previewPosture();
        QCOMPARE(previews, 3);
    }
};

QTEST_GUILESS_MAIN(HealthSettingsModelTest)
#include "tst_HealthSettingsModel.moc"
