#include "Platform/GLib/SessionBusLoss.h"

#include <gio/gio.h>

namespace {

void onClosed(GDBusConnection*, gboolean, GError* error, gpointer data) {
    const auto* report = static_cast<const DegradedReporter*>(data);
    const QString reason = QStringLiteral("o barramento de sessão D-Bus foi fechado") +
                           (error ? QStringLiteral(": ") + QString::fromUtf8(error->message) : QString());
    (*report)(
        QStringLiteral("D-Bus"), reason,
        QStringLiteral("música, agenda, chaves e avisos do sistema param até o aplicativo ser reaberto; "
                       "o resto segue"));
}

// The reference taken here is never given back: the connection must stay the shared one.
void onConnected(GObject*, GAsyncResult* result, gpointer data) {
    DegradedReporter* report = static_cast<DegradedReporter*>(data);
    GDBusConnection* bus = g_bus_get_finish(result, nullptr);
    if (!bus) {
        delete report;
        return;
    }
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    g_signal_connect(bus, "closed", G_CALLBACK(onClosed), report);
}

} // namespace

void keepRunningWithoutSessionBus(DegradedReporter reportDegraded) {
    g_bus_get(G_BUS_TYPE_SESSION, nullptr, onConnected, new DegradedReporter(std::move(reportDegraded)));
}
