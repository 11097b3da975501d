#include "Platform/Calendar/EdsCalendarStore.h"

#include "Foundation/L10n.h"
#include "Foundation/OutsideText.h"

#include <QHash>
#include <QPointer>
#include <QTimeZone>
#include <QTimer>

#include <libecal/libecal.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <vector>

namespace {

QString fromUtf8(const gchar* text) {
    return QString::fromUtf8(text);
}

std::optional<QString> optionalText(const gchar* text, qsizetype limit = maxOutsideTextLength) {
    if (!text)
        return std::nullopt;
    return cappedText(QString::fromUtf8(text, qsizetype(qstrnlen(text, size_t(limit) * 4))), limit);
}

// The system zone as libical knows it, so that floating times and dates read as local ones.
ICalTimezone* systemZone() {
    const QByteArray id = QTimeZone::systemTimeZoneId();
    ICalTimezone* zone = id.isEmpty() ? nullptr : i_cal_timezone_get_builtin_timezone(id.constData());
    return zone ? zone : i_cal_timezone_get_utc_timezone();
}

QDateTime toDateTime(ICalTime* time, ICalTimezone* fallbackZone) {
    if (!time || i_cal_time_is_null_time(time))
        return {};
    if (i_cal_time_is_date(time))
        return QDateTime(
            QDate(i_cal_time_get_year(time), i_cal_time_get_month(time), i_cal_time_get_day(time)),
            QTime(0, 0), QTimeZone::systemTimeZone());
    ICalTimezone* zone = i_cal_time_get_timezone(time);
    return QDateTime::fromSecsSinceEpoch(
        qint64(i_cal_time_as_timet_with_zone(time, zone ? zone : fallbackZone)), Qt::UTC);
}

bool startsWithDate(ICalComponent* component) {
    ICalTime* start = i_cal_component_get_dtstart(component);
    const bool isDate = start && i_cal_time_is_date(start);
    g_clear_object(&start);
    return isDate;
}

QUrl urlOf(ICalComponent* component) {
    ICalProperty* property = i_cal_component_get_first_property(component, I_CAL_URL_PROPERTY);
    if (!property)
        return {};
    const QUrl url(fromUtf8(i_cal_property_get_url(property)));
    g_object_unref(property);
    return url;
}

CalendarSource sourceInfo(ESource* source) {
    CalendarSource info{fromUtf8(e_source_get_uid(source)), fromUtf8(e_source_get_display_name(source)), {}};
    auto* selectable = E_SOURCE_SELECTABLE(e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
    if (const gchar* color = e_source_selectable_get_color(selectable))
        info.color = QColor(fromUtf8(color));
    return info;
}

// One fetch across several calendars. Each calendar fills its own slot (GLib may call from its own thread);
// the last calendar to finish hands the joined list to the GUI thread.
struct FetchJob {
    std::vector<QList<CalendarOccurrence>> slots;
    std::atomic<int> remaining{0};
    QPointer<QObject> context;
    std::function<void(const QList<CalendarOccurrence>&)> done;

    void finishOne() {
        if (remaining.fetch_sub(1) != 1)
            return;
        QList<CalendarOccurrence> joined;
        for (const auto& slot : slots)
            joined.append(slot);
        if (context)
            QMetaObject::invokeMethod(
                context, [done = done, joined] { done(joined); }, Qt::QueuedConnection);
    }
};

struct FetchSlot {
    std::shared_ptr<FetchJob> job;
    size_t index;
    CalendarSource source;
    ICalTimezone* zone;
    QDateTime windowStart, windowEnd;

    // The server's own time-range test misreads dates and some zoned times near the window's edges, so it is
    // asked for a wider window and the overlap is decided here: an occurrence counts when any part of it lies
    // in the window, a zero-length one when its moment does.
    bool overlapsWindow(const CalendarOccurrence& o) const {
        if (o.start >= windowEnd)
            return false;
        return o.end > windowStart || (o.end <= o.start && o.start >= windowStart);
    }
};

// The event's UID with the occurrence's original start, so that every occurrence of a series has its own id
// and a moved occurrence keeps the one of its slot.
QString occurrenceId(ICalComponent* component, const QDateTime& start, ICalTimezone* zone) {
    ICalTime* recurrence = i_cal_component_get_recurrenceid(component);
    const QDateTime slot =
        recurrence && !i_cal_time_is_null_time(recurrence) ? toDateTime(recurrence, zone) : start;
    g_clear_object(&recurrence);
    return fromUtf8(i_cal_component_get_uid(component)) + QLatin1Char('@') +
           slot.toUTC().toString(Qt::ISODate);
}

gboolean addInstance(ICalComponent* component, ICalTime* instanceStart, ICalTime* instanceEnd, gpointer data,
                     GCancellable*, GError**) {
    auto* slot = static_cast<FetchSlot*>(data);
    CalendarOccurrence occurrence;
    occurrence.start = toDateTime(instanceStart, slot->zone);
    occurrence.end = toDateTime(instanceEnd, slot->zone);
    occurrence.isAllDay = startsWithDate(component);
    // A detached occurrence carries its own status; the others carry the series'.
    occurrence.isCancelled = i_cal_component_get_status(component) == I_CAL_STATUS_CANCELLED;
    occurrence.id = occurrenceId(component, occurrence.start, slot->zone);
    occurrence.title = optionalText(i_cal_component_get_summary(component));
    occurrence.location = optionalText(i_cal_component_get_location(component));
    occurrence.notes = optionalText(i_cal_component_get_description(component), maxOutsideNotesLength);
    occurrence.url = urlOf(component);
    occurrence.attendeeCount = i_cal_component_count_properties(component, I_CAL_ATTENDEE_PROPERTY);
    occurrence.calendar = slot->source;
    if (!slot->overlapsWindow(occurrence))
        return TRUE;
    slot->job->slots[slot->index].append(std::move(occurrence));
    return TRUE;
}

void finishSlot(gpointer data) {
    auto* slot = static_cast<FetchSlot*>(data);
    slot->job->finishOne();
    delete slot;
}

} // namespace

struct EdsCalendarStore::Private {
    struct Calendar {
        CalendarSource info;
        ECalClient* client = nullptr;
        ECalClientView* view = nullptr;
        bool connecting = false;
        bool watched = false; // its view is running: every change to it is heard
    };
    struct PendingFetch {
        QDateTime start, end;
        QStringList calendarIds;
        QPointer<QObject> context;
        std::function<void(const QList<CalendarOccurrence>&)> done;
    };

    EdsCalendarStore* q;
    DegradedReporter reportDegraded;
    GCancellable* cancellable = g_cancellable_new();
    ESourceRegistry* registry = nullptr;
    bool registryPending = false;
    bool reportedUnavailable = false;
    QList<std::pair<QPointer<QObject>, std::function<void(const CalendarAccess&)>>> accessWaiters;
    QList<QString> order; // calendar ids in the registry's order
    QHash<QString, Calendar> calendars;
    QList<PendingFetch> pendingFetches;
    // The last answer, kept while nothing it was drawn from has changed: the same window asked again (the
    // service refreshes once a minute) is answered from memory, without waking the calendar server.
    struct AnswerKey {
        QDateTime start, end;
        QStringList calendarIds;
        QByteArray zoneId;
        bool operator==(const AnswerKey&) const = default;
    };
    struct KeptAnswer {
        AnswerKey key;
        quint64 changes = 0;
        QList<CalendarOccurrence> occurrences;
    };
    std::optional<KeptAnswer> keptAnswer;
    quint64 changes = 0; // raised by every change to the calendars, their events or what is heard of them
    QTimer changeTimer;
    QTimer connectWaitTimer;
    QTimer registryTimer;

    // GLib callbacks carry a weak pointer to the store, so that an answer after its end touches nothing.
    QPointer<EdsCalendarStore>* guard() const { return new QPointer<EdsCalendarStore>(q); }
    static Private* take(gpointer data) {
        auto* guard = static_cast<QPointer<EdsCalendarStore>*>(data);
        EdsCalendarStore* store = guard->data();
        delete guard;
        return store ? store->d.get() : nullptr;
    }

    void answerAccess(const CalendarAccess& access) {
        const auto waiters = std::exchange(accessWaiters, {});
        for (const auto& [context, done] : waiters) {
            if (context)
                done(access);
        }
    }

    // The platform's wording of the cause goes to the degraded-feature line; the answer carries ours.
    void registryFailed(Failure failure, const QString& platformText) {
        registryPending = false;
        registryTimer.stop();
        if (!std::exchange(reportedUnavailable, true))
            reportDegraded(
                QStringLiteral("Agenda"),
                QStringLiteral("o registro de calendários (Evolution Data Server) não respondeu: %1")
                    .arg(platformText),
                QStringLiteral("a agenda do dia fica vazia"));
        answerAccess({CalendarAccess::Answer::failed, describe(failure)});
    }

    // A registry that comes after the time-out (a slow first start) is kept and announced as a change: the
    // next request is granted.
    void registryReady(ESourceRegistry* created, GError* error) {
        if (!created || registry) {
            if (!created && registryPending)
                registryFailed(failureOf(error), fromUtf8(error ? error->message : ""));
            g_clear_object(&created);
            return;
        }
        const bool answered = !registryPending;
        registryPending = false;
        registryTimer.stop();
        registry = created;
        for (const char* signal :
             {"source-added", "source-removed", "source-changed", "source-enabled", "source-disabled"})
            g_signal_connect(registry, signal, G_CALLBACK(&Private::sourcesChanged), this);
        syncCalendars();
        if (answered)
            changeTimer.start(); // a late registry: whoever gave up hears of it
        else
            answerAccess({CalendarAccess::Answer::granted, {}});
    }

    static void sourcesChanged(ESourceRegistry*, ESource*, gpointer data) {
        auto* self = static_cast<Private*>(data);
        self->syncCalendars();
        ++self->changes;
        self->changeTimer.start();
    }

    void syncCalendars() {
        QList<QString> current;
        GList* sources = e_source_registry_list_enabled(registry, E_SOURCE_EXTENSION_CALENDAR);
        for (GList* item = sources; item; item = item->next) {
            auto* source = E_SOURCE(item->data);
            const CalendarSource info = sourceInfo(source);
            current.append(info.id);
            auto found = calendars.find(info.id);
            if (found == calendars.end()) {
                calendars.insert(info.id, {info, nullptr, nullptr, true});
                connectCalendar(source);
            } else {
                found->info = info;
            }
        }
        g_list_free_full(sources, g_object_unref);
        for (const QString& id : std::as_const(order)) {
            if (!current.contains(id))
                release(calendars.take(id));
        }
        order = current;
    }

    void connectCalendar(ESource* source) {
        connectWaitTimer.start();
        // (guint32)-1: answer as soon as the backend is opened, without waiting for a remote server.
        e_cal_client_connect(source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, guint32(-1), cancellable,
                             &Private::connected, new ConnectTicket{q, fromUtf8(e_source_get_uid(source))});
    }

    struct ConnectTicket {
        QPointer<EdsCalendarStore> store;
        QString id;
    };

    static void connected(GObject*, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        EClient* client = e_cal_client_connect_finish(result, &error);
        const std::unique_ptr<ConnectTicket> ticket(static_cast<ConnectTicket*>(data));
        Private* self = ticket->store ? ticket->store->d.get() : nullptr;
        if (self && client)
            self->clientReady(ticket->id, E_CAL_CLIENT(client));
        else if (self)
            self->clientFailed(ticket->id, error);
        else
            g_clear_object(&client);
        g_clear_error(&error);
    }

    void clientReady(const QString& id, ECalClient* client) {
        auto found = calendars.find(id);
        if (found == calendars.end()) {
            g_object_unref(client);
            return;
        }
        e_cal_client_set_default_timezone(client, systemZone());
        found->client = client;
        found->connecting = false;
        ++changes;
        g_signal_connect(client, "backend-died", G_CALLBACK(&Private::backendDied), this);
        e_cal_client_get_view(client, "#t", cancellable, &Private::viewReady, guard());
        connectionSettled();
    }

    void clientFailed(const QString& id, GError* error) {
        qWarning("Tavimor: calendar %s could not be opened: %s", qPrintable(id),
                 error ? error->message : "unknown");
        auto found = calendars.find(id);
        if (found != calendars.end())
            found->connecting = false;
        connectionSettled();
    }

    static void viewReady(GObject* source, GAsyncResult* result, gpointer data) {
        ECalClientView* view = nullptr;
        const bool ok = e_cal_client_get_view_finish(E_CAL_CLIENT(source), result, &view, nullptr);
        Private* self = take(data);
        if (!self || !ok) {
            g_clear_object(&view);
            return;
        }
        const QString id = fromUtf8(e_source_get_uid(e_client_get_source(E_CLIENT(source))));
        auto found = self->calendars.find(id);
        if (found == self->calendars.end() || found->view) {
            g_object_unref(view);
            return;
        }
        found->view = view;
        e_cal_client_view_set_flags(view, E_CAL_CLIENT_VIEW_FLAGS_NONE, nullptr);
        for (const char* signal : {"objects-added", "objects-modified", "objects-removed"})
            g_signal_connect(view, signal, G_CALLBACK(&Private::objectsChanged), self);
        g_signal_connect(view, "complete", G_CALLBACK(&Private::viewComplete), self);
        e_cal_client_view_start(view, nullptr);
        found->watched = true;
        ++self->changes;
    }

    static void objectsChanged(ECalClientView*, gpointer, gpointer data) {
        auto* self = static_cast<Private*>(data);
        ++self->changes;
        self->changeTimer.start();
    }

    // Once a view has loaded, its calendar is heard: what was fetched before may have missed a change, so the
    // change announced makes the next fetch one that can be kept. A view that ends in an error, or a calendar
    // whose server side died, is no longer heard: its events are fetched afresh every time from then on.
    static void viewComplete(ECalClientView* view, const GError* error, gpointer data) {
        auto* self = static_cast<Private*>(data);
        if (error)
            self->stopWatching([view](const Calendar& c) { return c.view == view; });
        else
            self->changeTimer.start();
    }

    static void backendDied(EClient* client, gpointer data) {
        static_cast<Private*>(data)->stopWatching(
            [client](const Calendar& c) { return E_CLIENT(c.client) == client; });
    }

    template <typename Match> void stopWatching(Match match) {
        for (Calendar& calendar : calendars) {
            if (match(calendar))
                calendar.watched = false;
        }
        ++changes;
    }

    void release(Calendar calendar) {
        if (calendar.view) {
            g_signal_handlers_disconnect_by_data(calendar.view, this);
            e_cal_client_view_stop(calendar.view, nullptr);
            g_object_unref(calendar.view);
        }
        if (calendar.client)
            g_signal_handlers_disconnect_by_data(calendar.client, this);
        g_clear_object(&calendar.client);
        ++changes;
    }

    bool anyConnecting() const {
        return std::any_of(calendars.cbegin(), calendars.cend(),
                           [](const Calendar& c) { return c.connecting; });
    }

    // A calendar finished connecting: waiting fetches run once none is left; a late one brings a change.
    void connectionSettled() {
        if (anyConnecting())
            return;
        connectWaitTimer.stop();
        if (pendingFetches.isEmpty()) {
            changeTimer.start();
            return;
        }
        runPendingFetches();
    }

    void runPendingFetches() {
        const auto fetches = std::exchange(pendingFetches, {});
        for (const auto& fetch : fetches) {
            if (fetch.context)
                run(fetch);
        }
    }

    void run(const PendingFetch& fetch) {
        const AnswerKey key{fetch.start, fetch.end, fetch.calendarIds, QTimeZone::systemTimeZoneId()};
        if (keptAnswer && keptAnswer->changes == changes && keptAnswer->key == key) {
            answerFromMemory(fetch);
            return;
        }
        QList<const Calendar*> chosen;
        for (const QString& id : std::as_const(order)) {
            const Calendar& calendar = calendars[id];
            if (calendar.client && (fetch.calendarIds.isEmpty() || fetch.calendarIds.contains(id)))
                chosen.append(&calendar);
        }
        const bool allWatched =
            std::all_of(chosen.cbegin(), chosen.cend(), [](const Calendar* c) { return c->watched; });
        auto job = std::make_shared<FetchJob>();
        job->context = fetch.context;
        job->done = [store = QPointer(q), key, allWatched, changesAtStart = changes,
                     done = fetch.done](const QList<CalendarOccurrence>& occurrences) {
            if (store && allWatched && store->d->changes == changesAtStart)
                store->d->keptAnswer = KeptAnswer{key, changesAtStart, occurrences};
            done(occurrences);
        };
        job->slots.resize(chosen.size() + 1);
        job->remaining = int(chosen.size()) + 1;
        for (qsizetype i = 0; i < chosen.size(); ++i) {
            auto* slot = new FetchSlot{job, size_t(i), chosen[i]->info, systemZone(), fetch.start, fetch.end};
            e_cal_client_generate_instances(chosen[i]->client,
                                            time_t(fetch.start.addDays(-1).toSecsSinceEpoch()),
                                            time_t(fetch.end.addDays(1).toSecsSinceEpoch()), cancellable,
                                            &addInstance, slot, &finishSlot);
        }
        job->finishOne(); // the job's own share: answers even when no calendar is chosen
    }

    void answerFromMemory(const PendingFetch& fetch) {
        if (!fetch.context)
            return;
        QMetaObject::invokeMethod(
            fetch.context, [done = fetch.done, occurrences = keptAnswer->occurrences] { done(occurrences); },
            Qt::QueuedConnection);
    }
};

EdsCalendarStore::EdsCalendarStore(DegradedReporter reportDegraded, QObject* parent)
    : ICalendarStore(parent)
    , d(std::make_unique<Private>()) {
    d->q = this;
    d->reportDegraded = std::move(reportDegraded);
    d->changeTimer.setSingleShot(true);
    d->changeTimer.setInterval(coalesceMs);
    connect(&d->changeTimer, &QTimer::timeout, this, &ICalendarStore::changed);
    d->registryTimer.setSingleShot(true);
    d->registryTimer.setInterval(registryTimeoutMs);
    connect(&d->registryTimer, &QTimer::timeout, this, [this] {
        d->registryFailed(Failure::noAnswer,
                          QStringLiteral("sem resposta em %1 s").arg(registryTimeoutMs / 1000));
    });
    d->connectWaitTimer.setSingleShot(true);
    d->connectWaitTimer.setInterval(connectWaitMs);
    connect(&d->connectWaitTimer, &QTimer::timeout, this, [this] { d->runPendingFetches(); });
}

EdsCalendarStore::~EdsCalendarStore() {
    g_cancellable_cancel(d->cancellable);
    for (auto& calendar : d->calendars)
        d->release(std::move(calendar));
    if (d->registry) {
        g_signal_handlers_disconnect_by_data(d->registry, d.get());
        g_object_unref(d->registry);
    }
    g_object_unref(d->cancellable);
}

EdsCalendarStore::Failure EdsCalendarStore::failureOf(const GError* error) {
    if (!error)
        return Failure::other;
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMED_OUT) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY))
        return Failure::noAnswer;
    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_EXEC_FAILED) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_FAILED) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_CHILD_EXITED) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND) ||
        g_error_matches(error, G_IO_ERROR, G_IO_ERROR_DBUS_ERROR))
        return Failure::serviceMissing;
    return Failure::other;
}

QString EdsCalendarStore::describe(Failure failure) {
    switch (failure) {
    case Failure::noAnswer:
        return L10n::text("agenda.erro.sem_resposta", "O serviço de calendários não respondeu.",
                          "O Evolution Data Server não respondeu a tempo; a agenda fica vazia.");
    case Failure::serviceMissing:
        return L10n::text("agenda.erro.servico_ausente",
                          "O serviço de calendários (Evolution Data Server) não está disponível.",
                          "Não há Evolution Data Server na sessão; a agenda fica vazia.");
    case Failure::other:
        break;
    }
    return L10n::text("agenda.erro.falha", "Não foi possível abrir os calendários.",
                      "Falha do serviço de calendários sem causa mais precisa; a agenda fica vazia.");
}

void EdsCalendarStore::requestAccess(QObject* context, std::function<void(const CalendarAccess&)> done) {
    d->accessWaiters.append({context, std::move(done)});
    if (d->registry) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                d->answerAccess({CalendarAccess::Answer::granted, {}});
            },
            Qt::QueuedConnection);
        return;
    }
    if (d->registryPending)
        return;
    d->registryPending = true;
    d->registryTimer.start();
    e_source_registry_new(
        d->cancellable,
        [](GObject*, GAsyncResult* result, gpointer data) {
            GError* error = nullptr;
            ESourceRegistry* registry = e_source_registry_new_finish(result, &error);
            if (Private* self = Private::take(data))
                self->registryReady(registry, error);
            else
                g_clear_object(&registry);
            g_clear_error(&error);
        },
        d->guard());
}

QList<CalendarSource> EdsCalendarStore::calendars() const {
    QList<CalendarSource> list;
    for (const QString& id : std::as_const(d->order))
        list.append(d->calendars.value(id).info);
    return list;
}

void EdsCalendarStore::fetchOccurrences(const QDateTime& start, const QDateTime& end,
                                        const QStringList& calendarIds, QObject* context,
                                        std::function<void(const QList<CalendarOccurrence>&)> done) {
    Private::PendingFetch fetch{start, end, calendarIds, context, std::move(done)};
    if (d->anyConnecting())
        d->pendingFetches.append(std::move(fetch));
    else
        d->run(fetch);
}
