#include "Platform/Calendar/EdsCalendarStore.h"
#include "Services/AgendaSectionModel.h"
#include "Services/CalendarService.h"
#include "Services/KeychainService.h"
#include "Services/TodoistService.h"

#include "FakeCalendarStore.h"
#include "FakeClock.h"
#include "FakeSecretStore.h"
#include "InMemoryPreferences.h"
#include "LoopbackHttpServer.h"
#include "Theme/ThemeQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

#include <gio/gio.h>

static const QDateTime nine(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

static CalendarOccurrence occurrenceOf(const QString& title, int startMinutes, int endMinutes,
                                       bool allDay = false) {
    const QDateTime start = nine.addSecs(startMinutes * 60), end = nine.addSecs(endMinutes * 60);
    return {title, title, start, end, allDay, {}, {}, {}, 0, {}};
}

// The titles of meetings or the contents of tasks, in order.
template <typename Item> static QStringList texts(const QList<Item>& items, QString Item::*text) {
    QStringList list;
    for (const Item& item : items)
        list << item.*text;
    return list;
}

// The day tab's services: the calendar, the agenda settings section and the tasks.
class DayServicesTest : public QObject {
    Q_OBJECT

    FakeCalendarStore store;
    InMemoryPreferences preferences;
    FakeClock clock{nine, QTimeZone("America/Sao_Paulo")};
    NotificationCenter notifications;
    std::unique_ptr<CalendarService> service;
    std::shared_ptr<FakeSecretStore> secrets;
    QStringList posted; // the agenda section's notifications
    // Each test talks to a fresh task server through a fresh client.
    std::unique_ptr<LoopbackHttpServer> server;
    std::unique_ptr<WebClient> web;
    FakeScheduler scheduler;
    std::unique_ptr<TodoistService> tasks;

    void startWithToken(const QByteArray& token) {
        if (!token.isNull())
            secrets->items.insert({KeychainService::serviceName, TodoistService::tokenKey}, {token, "t"});
        tasks->start();
        if (!token.isNull())
            QTRY_VERIFY(tasks->hasToken());
    }

    QByteArray requestLine(qsizetype index) const {
        const QByteArray& request = server->requests.at(index);
        return request.left(request.indexOf("\r\n"));
    }

    void grant() {
        service->start();
        store.answerAccess({CalendarAccess::Answer::granted, {}});
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        for (const QString& name : {Notifications::calendarFilterChanged, Notifications::todoistTokenSaved})
            notifications.addObserver(name, this, [this, name] { posted << name; });
    }

    void init() {
        store.sources = {{"w", "Work", {}}, {"h", "home", {}}, {"b", "Birthdays", {}}};
        store.occurrences = {};
        store.fetches.clear();
        posted.clear();
        preferences.remove(CalendarService::selectedCalendarsKey);
        service = std::make_unique<CalendarService>(store, preferences, clock, scheduler, notifications);
        secrets = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(secrets);
        tasks.reset();
        server = std::make_unique<LoopbackHttpServer>();
        web = std::make_unique<WebClient>();
        server->answer = LoopbackHttpServer::reply(200, "[]");
        tasks = std::make_unique<TodoistService>(*web, clock, scheduler,
                                                 TodoistEndpoint{server->url(QStringLiteral("/base")), 500},
                                                 notifications);
    }

    void derivedLists() {
        store.occurrences = {occurrenceOf("later", 5, 30),        occurrenceOf("running", -10, 20),
                             occurrenceOf("ended", -30, -1),      occurrenceOf("same start", 5, 10),
                             occurrenceOf("beta", 0, 1440, true), occurrenceOf("Alpha", 0, 1440, true),
                             occurrenceOf("Zulu", 0, 1440, true)};
        grant();
        QCOMPARE(service->nextMeeting()->title, QString("running"));
        QCOMPARE(texts(service->todayMeetings(), &Meeting::title),
                 QStringList({"ended", "running", "later", "same start"}));
        QCOMPARE(texts(service->allDayEvents(), &Meeting::title), QStringList({"Alpha", "Zulu", "beta"}));
        clock.advance(21 * 60'000); // running has ended, later runs; of equal starts the store's first counts
        QCOMPARE(service->nextMeeting()->title, QString("later"));
        clock.advance(9 * 60'000); // later's end is reached
        QVERIFY(!service->nextMeeting());
    }

    // A cancelled occurrence (a called-off instance of a series, or a cancelled event) is no meeting of the
    // day: neither the next one nor listed; the others stay as they are.
    void cancelledOccurrencesAreLeftOut_data() {
        QTest::addColumn<QStringList>("cancelled");
        QTest::addColumn<QString>("next"); // empty: none
        QTest::addColumn<QStringList>("timed");
        QTest::addColumn<QStringList>("allDay");
        QTest::newRow("none") << QStringList() << "running" << QStringList({"running", "soon", "later"})
                              << QStringList({"Holiday"});
        QTest::newRow("the running one") << QStringList({"running"}) << "soon"
                                         << QStringList({"soon", "later"}) << QStringList({"Holiday"});
        QTest::newRow("the next two") << QStringList({"running", "soon"}) << "later" << QStringList({"later"})
                                      << QStringList({"Holiday"});
        QTest::newRow("the all-day one") << QStringList({"Holiday"}) << "running"
                                         << QStringList({"running", "soon", "later"}) << QStringList();
        QTest::newRow("all") << QStringList({"running", "soon", "later", "Holiday"}) << "" << QStringList()
                             << QStringList();
    }
    void cancelledOccurrencesAreLeftOut() {
        QFETCH(QStringList, cancelled);
        clock.set(nine);
        store.occurrences = {occurrenceOf("later", 60, 90), occurrenceOf("running", -10, 20),
                             occurrenceOf("soon", 5, 30), occurrenceOf("Holiday", 0, 1440, true)};
        for (CalendarOccurrence& occurrence : store.occurrences)
            occurrence.isCancelled = cancelled.contains(*occurrence.title);
        grant();
        const auto next = service->nextMeeting();
        QTEST(next ? next->title : QString(), "next");
        QTEST(texts(service->todayMeetings(), &Meeting::title), "timed");
        QTEST(texts(service->allDayEvents(), &Meeting::title), "allDay");
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

    // The calendars on offer, by title (capitals first), once access is granted and again on every store
    // change; announced only when the list changes.
    void availableCalendarsFollowTheStore() {
        QSignalSpy announced(service.get(), &CalendarService::availableCalendarsChanged);
        service->start();
        QVERIFY(service->availableCalendars().isEmpty());
        store.answerAccess({CalendarAccess::Answer::granted, {}});
        QCOMPARE(texts(service->availableCalendars(), &CalendarSource::id), QStringList({"b", "w", "h"}));
        Q_EMIT store.changed();
        QCOMPARE(announced.size(), 1);
        store.sources.append({"a", "Agenda", QColor("#3a7bd5")});
        Q_EMIT store.changed();
        QCOMPARE(texts(service->availableCalendars(), &CalendarSource::id),
                 QStringList({"a", "b", "w", "h"}));
        QCOMPARE(announced.size(), 2);
    }

    // A refusal or a failure leaves no access and says why; a later grant observes the calendars.
    void accessAnswers() {
        service->start();
        store.answerAccess({CalendarAccess::Answer::denied, "no registry"});
        QCOMPARE(service->errorText(), QString("Acesso ao calendário negado"));
        service->start();
        store.answerAccess({CalendarAccess::Answer::failed, "no registry"});
        QVERIFY(service->errorText() == "no registry" && !service->hasAccess() && !service->isObserving());
        grant();
        QVERIFY(service->hasAccess() && service->isObserving());
    }

    // A failed request (a calendar server still starting) is asked again after 5 s, doubling to 5 min; a
    // change announced by the store asks at once; a grant ends the retries and so does stop().
    void accessRetries() {
        const CalendarAccess slow{CalendarAccess::Answer::failed, "slow"};
        service->start();
        QList<qint64> waited;
        for (int i = 0; i < 8; ++i) {
            store.answerAccess(slow);
            const qint64 before = scheduler.elapsedMs();
            for (int step = 0; step < 400 && store.pendingRequests() == 0; ++step)
                scheduler.advance(1000);
            waited << scheduler.elapsedMs() - before;
        }
        QCOMPARE(waited, (QList<qint64>{5000, 10000, 20000, 40000, 80000, 160000, 300000, 300000}));
        store.answerAccess(slow);
        Q_EMIT store.changed();
        QCOMPARE(store.pendingRequests(), 1);
        store.answerAccess({CalendarAccess::Answer::granted, {}});
        QVERIFY(service->hasAccess() && service->isObserving() && !store.fetches.isEmpty());
        scheduler.advance(600'000);
        QCOMPARE(store.pendingRequests(), 0);
        service->start();
        store.answerAccess(slow);
        service->stop();
        scheduler.advance(600'000);
        Q_EMIT store.changed();
        QCOMPARE(store.pendingRequests(), 0);
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

    // Hostile, failed or missing answers to the task list give one short text and keep the tasks; a redirect
    // to another origin is not followed.
    void taskListAnswers() {
        using S = LoopbackHttpServer;
        LoopbackHttpServer elsewhere;
        const std::pair<QByteArray, QString> cases[] = {
            {S::reply(401, "{}"), "Token inválido"},
            {S::reply(429, R"({"error":"slow","error_extra":{"retry_after":30}})"),
             "Rate limit. Retry em 30s"},
            {S::reply(429, ""), "Rate limit"},
            {S::reply(500, QByteArray(200'000, 'x')), "Erro 500"},
            {S::reply(204, ""), "Erro 204"},
            {S::reply(200, "{\"results\":\"x\",\n\"n\":1}"),
             "Erro ao ler dados do Todoist em: <root> (Expected to decode Array<Any> but found dictionary "
             "instead.). Payload: {\"results\":\"x\", \"n\":1}"},
            {S::reply(200, "[\"\xff\xfe\"]"), "Erro ao ler dados do Todoist em: <root> (The given data was "
                                              "not valid JSON. (invalid UTF8 string))"},
            {S::reply(200, "[" + QByteArray(5 << 20, ' ') + "]"), "a resposta é grande demais"},
            {S::reply(302, "", "Location: " + elsewhere.url("/api/v1/tasks").toEncoded() + "\r\n"),
             "Erro 302"},
            {"refused", "o servidor recusou a conexão"},
        };
        for (const auto& [answer, error] : cases) {
            init();
            server->answer = answer;
            if (answer == "refused")
                server.reset(); // nothing listens on its port any more
            startWithToken("tok");
            QTRY_COMPARE_WITH_TIMEOUT(tasks->errorText(), error, 3000);
            QVERIFY(!tasks->isLoading() && tasks->tasks().isEmpty());
            if (server)
                QCOMPARE(requestLine(0), QByteArray("GET /base/api/v1/tasks?limit=200 HTTP/1.1"));
        }
        QVERIFY(elsewhere.requests.isEmpty());
    }

    // A token that could inject headers is never sent, nor shown; a token is trimmed; without a token nothing
    // is asked.
    void taskTokens() {
        const std::tuple<QByteArray, QByteArray, QString> rows[] = {
            {" tok\r\n", "Authorization: Bearer tok", ""},
            {"abc\r\nX-Evil: 1", {}, "Token inválido"},
            {"abc\x01", {}, "Token inválido"},
            {{}, {}, ""}}; // no keychain item
        for (const auto& [token, authorization, error] : rows) {
            init();
            startWithToken(token);
            QTRY_VERIFY(secrets->operations.size() >= (token.isNull() ? 1 : 4));
            tasks->closeTask("1");
            notifications.post(Notifications::todoistTokenSaved);
            QTest::qWait(200);
            QCOMPARE(tasks->errorText(), error);
            QCOMPARE(server->requests.isEmpty(), authorization.isEmpty());
            if (!authorization.isEmpty())
                QVERIFY(server->requests[0].contains("\r\n" + authorization + "\r\n"));
        }
    }

    void closeTask() {
        server->answer = LoopbackHttpServer::reply(
            200, R"([{"id":"a/b c","content":"one"},{"id":"x","content":"two"},{"content":"idless"}])");
        startWithToken("tok");
        QTRY_COMPARE(tasks->tasks().size(), 3);
        server->requests.clear();

        tasks->closeTask(QString()); // nothing: not even the task without an id goes
        QVERIFY(tasks->completingTaskIds().isEmpty());

        server->answer = LoopbackHttpServer::reply(204, "");
        tasks->closeTask("a/b c");
        QCOMPARE(tasks->completingTaskIds(), QSet<QString>{"a/b c"});
        scheduler.advance(399);
        QCOMPARE(tasks->tasks().size(), 3);
        scheduler.advance(1);
        QCOMPARE(texts(tasks->tasks(), &TodoistTask::content), QStringList({"two", "idless"}));
        QTRY_COMPARE(server->requests.size(), 1);
        QCOMPARE(requestLine(0), QByteArray("POST /base/api/v1/tasks/a%2Fb%20c/close HTTP/1.1"));

        server->answer = LoopbackHttpServer::reply(404, "");
        tasks->closeTask("x");
        scheduler.advance(400);
        QTRY_COMPARE(server->requests.size(), 3); // the close, then the list again
        QCOMPARE(requestLine(server->requests.size() - 1),
                 QByteArray("GET /base/api/v1/tasks?limit=200 HTTP/1.1"));
    }

    void overdueAndTodayTasksOrder() {
        // 2 March in São Paulo.
        server->answer = LoopbackHttpServer::reply(200, R"([{"content":"o 05-02","due_date":"2024-05-02"},
            {"content":"o 05-01 p1","due_date":"2024-05-01"}, {"content":"o 05-01 p4","due_date":"2024-05-01","priority":4},
            {"content":"t 14:00","due_date":"2026-03-02T14:00:00"}, {"content":"t p1","due_date":"2026-03-02"},
            {"content":"t 09:00","due_date":"2026-03-02T09:00:00"}, {"content":"t p3","due_date":"2026-03-02","priority":3},
            {"content":"t utc","due_date":"2026-03-02T23:30:00Z"}, {"content":"done","due_date":"2024-05-01","checked":true}])");
        startWithToken("tok");
        QTRY_COMPARE(tasks->tasks().size(), 9);
        QCOMPARE(texts(tasks->overdueTasks(), &TodoistTask::content),
                 QStringList({"o 05-01 p4", "o 05-01 p1", "o 05-02"}));
        QCOMPARE(texts(tasks->todayTasks(), &TodoistTask::content),
                 QStringList({"t 09:00", "t 14:00", "t utc", "t p3", "t p1"}));
    }

    // The calendar server's failures read in Portuguese, whatever GLib said (GLib's words go to the log).
    void calendarStoreFailuresReadInPortuguese_data() {
        QTest::addColumn<quint32>("domain");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString noAnswer = "O serviço de calendários não respondeu.",
                      missing = "O serviço de calendários (Evolution Data Server) não está disponível.",
                      other = "Não foi possível abrir os calendários.";
        QTest::newRow("Timeout was reached") << G_IO_ERROR << int(G_IO_ERROR_TIMED_OUT) << noAnswer;
        QTest::newRow("no reply") << G_DBUS_ERROR << int(G_DBUS_ERROR_NO_REPLY) << noAnswer;
        QTest::newRow("service unknown") << G_DBUS_ERROR << int(G_DBUS_ERROR_SERVICE_UNKNOWN) << missing;
        QTest::newRow("no session bus") << G_IO_ERROR << int(G_IO_ERROR_DBUS_ERROR) << missing;
        QTest::newRow("anything else") << G_IO_ERROR << int(G_IO_ERROR_PERMISSION_DENIED) << other;
    }
    void calendarStoreFailuresReadInPortuguese() {
        QFETCH(quint32, domain);
        QFETCH(int, code);
        GError* error = g_error_new_literal(domain, code, "platform words");
        const QString text = EdsCalendarStore::describe(EdsCalendarStore::failureOf(error));
        g_error_free(error);
        QTEST(text, "text");
    }
};

QTEST_MAIN(DayServicesTest)
#include "tst_DayServices.moc"
