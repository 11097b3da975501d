#include "App/SettingsSections.h"
#include "Core/HealthSettingsModel.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Models/SettingsStore.h"
#include "Services/SettingsWindowManager.h"
#include "Theme/ThemeQml.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

QQuickItem* findItem(QQuickItem* root, const QString& name) {
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, name))
            return found;
    return nullptr;
}

class TestSettingsStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A write goes through the breaks section's property when one is named, else through the store; it is
    // clamped to the range the reminder services run in, stored, then announced once. Writing the stored
    // value again announces nothing.
    void writes_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("notification");
        const QString none;
        const QString breaks = Notifications::breakSettingsChanged;
        QTest::newRow("break length cut to what the break runs")
            << QByteArray("breakDurationSec") << "tavimor.breakDurationSec" << QVariant(5000) << QVariant(900)
            << breaks;
        QTest::newRow("break length at least 5 s")
            << QByteArray() << "tavimor.breakDurationSec" << QVariant(1) << QVariant(5) << breaks;
        QTest::newRow("work interval at least a minute")
            << QByteArray("breakWorkIntervalMin") << "tavimor.breakWorkIntervalMin" << QVariant(0)
            << QVariant(1) << breaks;
        QTest::newRow("posture interval of a minute kept")
            << QByteArray("postureIntervalMin") << "tavimor.postureIntervalMin" << QVariant(1) << QVariant(1)
            << Notifications::postureSettingsChanged;
        QTest::newRow("blink interval at most four hours")
            << QByteArray() << "tavimor.blinkIntervalMin" << QVariant(1000) << QVariant(240)
            << Notifications::blinkSettingsChanged;
        QTest::newRow("no negative snoozes")
            << QByteArray("breakSnoozes") << "tavimor.breakSnoozes" << QVariant(-3) << QVariant(0) << breaks;
        QTest::newRow("strict switch") << QByteArray("breakStrict") << "tavimor.breakStrict" << QVariant(true)
                                       << QVariant(true) << breaks;
        QTest::newRow("blink switch")
            << QByteArray("blinkEnabled") << "tavimor.blinkEnabled" << QVariant(true) << QVariant(true)
            << Notifications::blinkSettingsChanged;
        QTest::newRow("position raw value")
            << QByteArray("posturePosition") << "tavimor.posturePosition" << QVariant("bottomTrailing")
            << QVariant("bottomTrailing") << Notifications::postureSettingsChanged;
        QTest::newRow("size raw value") << QByteArray() << "tavimor.postureSize" << QVariant("large")
                                        << QVariant("large") << Notifications::postureSettingsChanged;
        QTest::newRow("not a raw value: nothing written")
            << QByteArray("blinkSize") << "tavimor.blinkSize" << QVariant("Large") << QVariant() << none;
        QTest::newRow("unknown key: nothing written")
            << QByteArray() << "tavimor.other" << QVariant(3) << QVariant() << none;
        QTest::newRow("notes switch") << QByteArray() << "tavimor.notesEnabled" << QVariant(true)
                                      << QVariant(true) << Notifications::notesEnabledChanged;
        QTest::newRow("appearance raw value")
            << QByteArray() << "tavimor.appearanceMode" << QVariant("dark") << QVariant("dark") << none;
        QTest::newRow("appearance other text")
            << QByteArray() << "tavimor.appearanceMode" << QVariant("Dark") << QVariant() << none;
    }

    void writes() {
        QFETCH(QByteArray, property);
        QFETCH(QString, key);
        QFETCH(QVariant, written);
        QFETCH(QString, notification);
        InMemoryPreferences preferences;
        NotificationCenter notifications;
        SettingsStore store(preferences, notifications);
        HealthSettingsModel section(preferences, notifications);
        QStringList posted;
        for (const QString& name :
             {Notifications::blinkSettingsChanged, Notifications::postureSettingsChanged,
              Notifications::breakSettingsChanged, Notifications::notesEnabledChanged})
            notifications.addObserver(
                name, &store, [&, name] { posted << name + "=" + preferences.value(key).toString(); });
        const auto write = [&] {
            if (!property.isEmpty())
                QVERIFY(section.setProperty(property, written));
            else if (key == QLatin1String(SettingsStore::notesEnabledKey))
                store.setNotesEnabled(written.toBool());
            else if (key == QLatin1String("tavimor.appearanceMode"))
                store.setAppearanceMode(written.toString());
            else if (written.typeId() == QMetaType::Int)
                store.setIntegerValue(key, written.toInt());
            else
                store.setTextValue(key, written.toString());
        };
        write();
        QTEST(preferences.value(key), "stored");
        if (!property.isEmpty() && !notification.isEmpty())
            QTEST(section.property(property), "stored");
        write();
        QCOMPARE(posted, notification.isEmpty()
                             ? QStringList()
                             : QStringList{notification + "=" + preferences.value(key).toString()});
    }

    // Absent values read as their defaults, stored ones outside their range or raw values as the nearest
    // edge or the default; a change made elsewhere reaches the section; previews post their requests.
    void reads() {
        InMemoryPreferences preferences;
        NotificationCenter notifications;
        SettingsStore store(preferences, notifications);
        HealthSettingsModel section(preferences, notifications);
        QCOMPARE(section.blinkIntervalMin(), 5);
        QCOMPARE(store.textValue("tavimor.posturePosition"), QStringLiteral("top"));
        QCOMPARE(store.selectedMode(), QStringLiteral("liquid"));
        QSignalSpy postureChanged(&section, &HealthSettingsModel::postureChanged);
        preferences.setValue("tavimor.postureIntervalMin", 100000);
        preferences.setValue("tavimor.breakDurationSec", "0");
        preferences.setValue("tavimor.blinkSize", "LARGE");
        preferences.setValue("tavimor.appearanceMode", "Liquid");
        QCOMPARE(postureChanged.count(), 1);
        QCOMPARE(section.postureIntervalMin(), 240);
        QCOMPARE(store.integerValue("tavimor.breakDurationSec"), 5);
        QCOMPARE(section.blinkSize(), QStringLiteral("small"));
        QCOMPARE(store.selectedMode(), QStringLiteral("dark"));
        int previews = 0;
        for (const QString& name :
             {Notifications::breakPreviewRequested, Notifications::blinkPreviewRequested,
              Notifications::posturePreviewRequested})
            notifications.addObserver(name, &section, [&] { ++previews; });
        section.previewBreak(), section.previewBlink(), section.previewPosture();
        QCOMPARE(previews, 3);
    }

    // The window shows every section of the list, each over its own model, and the general section's
    // appearance cards write the mode at a click.
    void windowShowsTheSectionsOverTheirModels() {
        InMemoryPreferences preferences;
        registerThemeQmlTypes(preferences);
        SettingsWindowManager manager;
        manager.setPreferences(&preferences);
        manager.setSections(SettingsSections::all());
        manager.open();
        QQuickWindow* window = manager.window();
        QVERIFY(window);
        const QVariantList sections = window->property("sections").toList();
        QCOMPARE(sections.size(), SettingsSections::all().size());
        QVERIFY(qobject_cast<SettingsStore*>(sections.first().toMap().value("model").value<QObject*>()));
        QQuickItem* dark = nullptr;
        QTRY_VERIFY((dark = findItem(window->contentItem(), "appearance:dark")));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window, Qt::LeftButton, {}, dark->mapToScene({20, 10}).toPoint());
        QCOMPARE(preferences.value("tavimor.appearanceMode"), QVariant("dark"));
    }
};

QTEST_MAIN(TestSettingsStore)
#include "tst_SettingsStore.moc"
