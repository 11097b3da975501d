#include "Services/AgendaSectionModel.h"
#include "Services/CalendarService.h"
#include "Services/KeychainService.h"

#include "FakeCalendarStore.h"
#include "FakeSecretStore.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

class AgendaSectionModelTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    NotificationCenter notifications;
    std::shared_ptr<FakeSecretStore> secrets = std::make_shared<FakeSecretStore>();
    QStringList posted;

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        KeychainService::setStore(secrets);
        for (const QString& name : {Notifications::calendarFilterChanged, Notifications::todoistTokenSaved})
            notifications.addObserver(name, this, [this, name] { posted << name; });
    }

    void tickingSavesTheSelectionAndTellsTheService() {
        preferences.setValue(CalendarService::selectedCalendarsKey, QStringList{"w"});
        FakeCalendarStore store;
        store.sources = {{"w", "work", {}}, {"h", "Home", QColor("#ff0000")}};
        AgendaSectionModel section(store, preferences, notifications);
        store.answerAccess({CalendarAccess::Answer::granted, {}});
        QCOMPARE(section.calendars().first().toMap().value("title").toString(), QString("Home"));

        posted.clear();
        section.setCalendarSelected("h", true);
        QCOMPARE(preferences.value(CalendarService::selectedCalendarsKey).toStringList(),
                 QStringList({"h", "w"}));
        section.setCalendarSelected("h", false);
        section.setCalendarSelected("w", false);
        QCOMPARE(preferences.value(CalendarService::selectedCalendarsKey).toStringList(), QStringList());
        QCOMPARE(posted, QStringList(3, Notifications::calendarFilterChanged));

        QQmlEngine engine; // the section itself loads without a warning
        QList<QQmlError> warnings;
        connect(&engine, &QQmlEngine::warnings, this, [&](const QList<QQmlError>& w) { warnings << w; });
        QQmlComponent component(&engine, QUrl("qrc:/Views/Settings/AgendaSection.qml"));
        std::unique_ptr<QObject> view(
            component.createWithInitialProperties({{"model", QVariant::fromValue<QObject*>(&section)}}));
        QVERIFY2(view && warnings.isEmpty(),
                 qPrintable(component.errorString() + warnings.value(0).toString()));
    }

    void tokenSavesAndFailures() {
        FakeCalendarStore store;
        AgendaSectionModel section(store, preferences, notifications);
        posted.clear();
        secrets->forcedStatus.insert("add", -25293);
        section.saveToken("  tok\n");
        QTRY_VERIFY(!section.busy());
        QVERIFY(section.tokenFailed() && section.tokenStatus().contains("-25293") && !section.hasToken());
        QVERIFY(posted.isEmpty());

        secrets->forcedStatus.clear();
        section.saveToken("  tok\n");
        QTRY_VERIFY(section.hasToken());
        QCOMPARE(secrets->items.value({KeychainService::serviceName, "todoist_token"}).secret,
                 QByteArray("tok"));
        section.removeToken();
        QTRY_VERIFY(!section.hasToken());
        QCOMPARE(posted, QStringList(2, Notifications::todoistTokenSaved));
    }
};

QTEST_MAIN(AgendaSectionModelTest)
#include "tst_AgendaSectionModel.moc"
