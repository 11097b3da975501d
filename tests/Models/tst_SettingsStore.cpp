#include "App/SettingsSections.h"
#include "Core/NotificationCenter.h"
#include "Core/SettingsWindowManager.h"
#include "InMemoryPreferences.h"
#include "Models/SettingsStore.h"
#include "Theme/ThemeQml.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

// Records which notifications arrive and what the preference held when each did.
struct NotificationProbe {
    QStringList names;
    QVariant seenOnArrival;
    QObject context;

    NotificationProbe(const IPreferences& preferences, const QString& watchedKey) {
        for (const QString& name :
             {Notifications::blinkSettingsChanged, Notifications::postureSettingsChanged,
              Notifications::breakSettingsChanged, Notifications::notesEnabledChanged})
            NotificationCenter::shared().addObserver(name, &context, [&, name, watchedKey] {
                names.append(name);
                seenOnArrival = preferences.value(watchedKey);
            });
    }
};

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
    void writesClampedRawValuesThenNotifies_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("notification");
        const QString none;
        QTest::newRow("blink interval below a minute") << "tavimor.blinkIntervalMin" << QVariant(0)
                                                       << QVariant(1) << Notifications::blinkSettingsChanged;
        QTest::newRow("posture interval kept") << "tavimor.postureIntervalMin" << QVariant(45) << QVariant(45)
                                               << Notifications::postureSettingsChanged;
        QTest::newRow("break length at most an hour")
            << "tavimor.breakDurationSec" << QVariant(99999) << QVariant(3600)
            << Notifications::breakSettingsChanged;
        QTest::newRow("break length at least 5 s") << "tavimor.breakDurationSec" << QVariant(1) << QVariant(5)
                                                   << Notifications::breakSettingsChanged;
        QTest::newRow("no negative snoozes")
            << "tavimor.breakSnoozes" << QVariant(-3) << QVariant(0) << Notifications::breakSettingsChanged;
        QTest::newRow("position raw value")
            << "tavimor.blinkPosition" << QVariant("bottomTrailing") << QVariant("bottomTrailing")
            << Notifications::blinkSettingsChanged;
        QTest::newRow("size raw value") << "tavimor.postureSize" << QVariant("large") << QVariant("large")
                                        << Notifications::postureSettingsChanged;
        QTest::newRow("not a raw value: nothing written")
            << "tavimor.blinkSize" << QVariant("Large") << QVariant() << none;
        QTest::newRow("unknown key: nothing written") << "tavimor.other" << QVariant(3) << QVariant() << none;
        QTest::newRow("notes switch") << "tavimor.notesEnabled" << QVariant(true) << QVariant(true)
                                      << Notifications::notesEnabledChanged;
        QTest::newRow("appearance raw value")
            << "tavimor.appearanceMode" << QVariant("dark") << QVariant("dark") << none;
        QTest::newRow("appearance other text")
            << "tavimor.appearanceMode" << QVariant("Dark") << QVariant() << none;
    }

    void writesClampedRawValuesThenNotifies() {
        QFETCH(QString, key);
        QFETCH(QVariant, written);
        QFETCH(QVariant, stored);
        QFETCH(QString, notification);
        InMemoryPreferences preferences;
        SettingsStore store(preferences);
        NotificationProbe probe(preferences, key);
        if (key == QLatin1String(SettingsStore::notesEnabledKey))
            store.setNotesEnabled(written.toBool());
        else if (key == QLatin1String("tavimor.appearanceMode"))
            store.setAppearanceMode(written.toString());
        else if (written.typeId() == QMetaType::Int)
            store.setIntegerValue(key, written.toInt());
        else
            store.setTextValue(key, written.toString());
        QCOMPARE(preferences.value(key), stored);
        QCOMPARE(probe.names, notification.isEmpty() ? QStringList() : QStringList{notification});
        if (!notification.isEmpty())
            QCOMPARE(probe.seenOnArrival, stored); // posted after the write
    }

    void readsDefaultsAndClampsStoredValues() {
        InMemoryPreferences preferences;
        SettingsStore store(preferences);
        QCOMPARE(store.integerValue("tavimor.postureIntervalMin"), 30);
        QCOMPARE(store.textValue("tavimor.posturePosition"), QStringLiteral("top"));
        QCOMPARE(store.selectedMode(), QStringLiteral("liquid"));
        preferences.setValue("tavimor.breakDurationSec", "0");
        preferences.setValue("tavimor.blinkSize", "LARGE");
        preferences.setValue("tavimor.appearanceMode", "Liquid");
        QCOMPARE(store.integerValue("tavimor.breakDurationSec"), 5);
        QCOMPARE(store.textValue("tavimor.blinkSize"), QStringLiteral("small"));
        QCOMPARE(store.selectedMode(), QStringLiteral("dark"));
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
