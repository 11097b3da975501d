#include "App/SettingsSections.h"
#include "Core/HealthSettingsModel.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Models/NotchHardwareProfile.h"
#include "Models/SettingsStore.h"
#include "Models/TavimorPreferences.h"
#include "Services/SettingsWindowManager.h"
#include "Theme/ThemeQml.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ReminderPosition)
Q_DECLARE_METATYPE(ReminderSize)

namespace {

// A write of a property of the breaks section (stored under "tavimor.<property>"), or of a store key.
void row(const char* target, const QVariant& written, const QVariant& stored, const QString& notification) {
    QTest::addRow("%s=%s", target, qPrintable(written.toString()))
        << QString::fromLatin1(target) << written << stored << notification;
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A write is clamped to the range the reminder services run in, stored, then announced once. Writing the
    // stored value again announces nothing.
    void writes_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("notification");
        const QString none;
        const QString& breaks = Notifications::breakSettingsChanged;
        const QString& blink = Notifications::blinkSettingsChanged;
        const QString& posture = Notifications::postureSettingsChanged;
        row("breakDurationSec", 5000, 900, breaks); // cut to what the break runs
        row("tavimor.breakDurationSec", 1, 5, breaks);
        row("breakWorkIntervalMin", 0, 1, breaks);
        row("postureIntervalMin", 1, 1, posture);
        row("tavimor.blinkIntervalMin", 1000, 240, blink); // four hours at most
        row("breakSnoozes", -3, 0, breaks);
        row("breakStrict", true, true, breaks);
        row("blinkEnabled", true, true, blink);
        row("remindersPaused", true, true, none); // read by the services when a reminder falls due
        row("posturePosition", "bottomTrailing", "bottomTrailing", posture);
        row("tavimor.postureSize", "large", "large", posture);
        row("blinkSize", "Large", QVariant(), none); // not a raw value: nothing written
        row("tavimor.other", 3, QVariant(), none);   // unknown key: nothing written
        row("tavimor.notesEnabled", true, true, Notifications::notesEnabledChanged);
        row("tavimor.appearanceMode", "dark", "dark", none);
        row("tavimor.appearanceMode", "Dark", QVariant(), none);
    }

    void writes() {
        QFETCH(QString, target);
        QFETCH(QVariant, written);
        QFETCH(QString, notification);
        const bool viaSection = !target.startsWith(u"tavimor.");
        const QByteArray property = viaSection ? target.toLatin1() : QByteArray();
        const QString key = viaSection ? QStringLiteral("tavimor.") + target : target;
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
            if (viaSection)
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
        if (viaSection && !notification.isEmpty())
            QTEST(section.property(property), "stored");
        write();
        QCOMPARE(posted, notification.isEmpty()
                             ? QStringList()
                             : QStringList{notification + "=" + preferences.value(key).toString()});
    }

    // Stored values outside their range or raw values read as the nearest edge or the default; a change made
    // elsewhere reaches the section; previews post their requests.
    void reads() {
        InMemoryPreferences preferences;
        NotificationCenter notifications;
        SettingsStore store(preferences, notifications);
        HealthSettingsModel section(preferences, notifications);
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
        QTRY_VERIFY((dark = ItemTreeCheck::visibleItems(window->contentItem(), "appearance:dark").value(0)));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window, Qt::LeftButton, {}, dark->mapToScene({20, 10}).toPoint());
        QCOMPARE(preferences.value("tavimor.appearanceMode"), QVariant("dark"));
    }

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

QTEST_MAIN(TestSettingsStore)
#include "tst_SettingsStore.moc"
