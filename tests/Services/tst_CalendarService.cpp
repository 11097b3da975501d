#include "Services/AgendaSectionModel.h"
#include "Services/CalendarService.h"
#include "Services/KeychainService.h"

#include "FakeCalendarStore.h"
#include "FakeClock.h"
#include "FakeSecretStore.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

static const QDateTime nine(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

static CalendarOccurrence occurrenceOf(const QString& title, int startMinutes, int endMinutes,
                                       bool allDay = false) {
    const QDateTime start = nine.addSecs(startMinutes * 60), end = nine.addSecs(endMinutes * 60);
    return {title, title, start, end, allDay, {}, {}, {}, 0, {}};
}

static QStringList titles(const QList<Meeting>& meetings) {
    QStringList list;
    for (const Meeting& m : meetings)
        list << m.title;
    return list;
}

class CalendarServiceTest : public QObject {
    Q_OBJECT

    FakeCalendarStore store;
    InMemoryPreferences preferences;
    FakeClock clock{nine, QTimeZone("America/Sao_Paulo")};
    NotificationCenter notifications;
    std::unique_ptr<CalendarService> service;
    std::shared_ptr<FakeSecretStore> secrets = std::make_shared<FakeSecretStore>();
    QStringList posted; // the agenda section's notifications

    void grant() {
        service->start();
        store.answerAccess({CalendarAccess::Answer::granted, {}});
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        KeychainService::setStore(secrets);
        for (const QString& name : {Notifications::calendarFilterChanged, Notifications::todoistTokenSaved})
            notifications.addObserver(name, this, [this, name] { posted << name; });
    }

    void init() {
        store.sources = {{"w", "Work", {}}, {"h", "home", {}}, {"b", "Birthdays", {}}};
        store.occurrences = {};
        store.fetches.clear();
        posted.clear();
        preferences.remove(CalendarService::selectedCalendarsKey);
        service = std::make_unique<CalendarService>(store, preferences, clock, notifications);
    }

    void derivedLists() {
        store.occurrences = {occurrenceOf("later", 5, 30),        occurrenceOf("running", -10, 20),
                             occurrenceOf("ended", -30, -1),      occurrenceOf("same start", 5, 10),
                             occurrenceOf("beta", 0, 1440, true), occurrenceOf("Alpha", 0, 1440, true),
                             occurrenceOf("Zulu", 0, 1440, true)};
        grant();
        QCOMPARE(service->nextMeeting()->title, QString("running"));
        QCOMPARE(titles(service->todayMeetings()), QStringList({"ended", "running", "later", "same start"}));
        QCOMPARE(titles(service->allDayEvents()), QStringList({"Alpha", "Zulu", "beta"}));
        clock.advance(21 * 60'000); // running has ended, later runs; of equal starts the store's first counts
        QCOMPARE(service->nextMeeting()->title, QString("later"));
        clock.advance(9 * 60'000); // later's end is reached
        QVERIFY(!service->nextMeeting());
        QCOMPARE(service->availableCalendars().first().title, QString("Birthdays"));
        QCOMPARE(service->availableCalendars().last().title, QString("home"));
    }

    // Absent, empty, wrongly typed or only deleted calendars: every calendar; otherwise the known ones.
    void dayWindowAndFilter() {
        const std::pair<QVariant, QStringList> cases[] = {
            {QVariant(), {}},
            {QStringList(), {}},
            {QStringList{"gone"}, {}},
            {QString("w"), {}},
            {QStringList{"b", "gone", "w"}, {"w", "b"}},
        };
        grant();
        for (const auto& [stored, asked] : cases) {
            preferences.setValue(CalendarService::selectedCalendarsKey, stored);
            notifications.post(Notifications::calendarFilterChanged);
            QCOMPARE(store.fetches.last().calendarIds, asked);
        }
        // 09:00 UTC is 06:00 in São Paulo: the local day runs from 03:00 UTC to 03:00 UTC.
        QCOMPARE(store.fetches.last().start, QDateTime(QDate(2026, 3, 2), QTime(3, 0), Qt::UTC));
        QCOMPARE(store.fetches.last().end, QDateTime(QDate(2026, 3, 3), QTime(3, 0), Qt::UTC));
    }

    void accessAnswers() {
        const std::tuple<CalendarAccess::Answer, bool, QString> cases[] = {
            {CalendarAccess::Answer::denied, false, "Acesso ao calendário negado"},
            {CalendarAccess::Answer::failed, false, "no registry"},
            {CalendarAccess::Answer::granted, true, "no registry"}, // a grant leaves the last failure's text
        };
        for (const auto& [answer, hasAccess, error] : cases) {
            service->start();
            store.answerAccess({answer, "no registry"});
            QCOMPARE(service->errorText(), error);
            QVERIFY(service->hasAccess() == hasAccess && service->isObserving() == hasAccess);
        }
    }

    void lateAnswerAfterStopInstallsNothing() {
        service->start();
        service->stop();
        store.answerAccess({CalendarAccess::Answer::granted, {}});
        QVERIFY(service->hasAccess() && !service->isObserving());
        Q_EMIT store.changed();
        QCOMPARE(store.fetches.size(), 0);

        service->start();
        service->start(); // both answers arrive: one registration
        store.answerAccess({CalendarAccess::Answer::granted, {}});
        store.fetches.clear();
        Q_EMIT store.changed();
        notifications.post(Notifications::calendarFilterChanged);
        QCOMPARE(store.fetches.size(), 2);
        service->stop();
        Q_EMIT store.changed();
        notifications.post(Notifications::calendarFilterChanged);
        QCOMPARE(store.fetches.size(), 2);
    }

    void agendaSectionSavesTheSelection() {
        preferences.setValue(CalendarService::selectedCalendarsKey, QStringList{"w"});
        AgendaSectionModel section(store, preferences, notifications);
        store.answerAccess({CalendarAccess::Answer::granted, {}});
        QCOMPARE(section.calendars().first().toMap().value("title").toString(), QString("Birthdays"));
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

    void agendaSectionTokenSavesAndFailures() {
        AgendaSectionModel section(store, preferences, notifications);
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

QTEST_MAIN(CalendarServiceTest)
#include "tst_CalendarService.moc"
