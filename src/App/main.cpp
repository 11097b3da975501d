#include "App/AppDelegate.h"
#include "App/HealthReminders.h"
#include "App/SettingsSections.h"
#include "App/WidgetOrder.h"
#include "Core/NotchPanelHost.h"
#include "Core/ShellQml.h"
#include "Foundation/AppPaths.h"
#include "Foundation/L10n.h"
#include "Foundation/QmlWindow.h"
#include "Platform/Audio/PulseAudioSystem.h"
#include "Platform/Capture/X11ScreenCapture.h"
#include "Platform/Clipboard/QtClipboard.h"
#include "Platform/GLib/GLibTypes.h"
#include "Platform/GLib/SessionBusLoss.h"
#include "Platform/Keys/ApplicationKeyMonitor.h"
#include "Platform/Mpris/DBusMprisSource.h"
#include "Platform/Mpris/NetworkArtworkFetcher.h"
#include "Platform/Panel/X11PanelWindow.h"
#include "Platform/Preferences/JsonPreferences.h"
#include "Platform/Screens/DBusScreenSleepSource.h"
#include "Platform/Screens/QtScreens.h"
#include "Platform/Session/LinuxActivationPolicy.h"
#include "Platform/Session/SingleInstance.h"
#include "Platform/Session/TerminationSignals.h"
#include "Platform/X11/X11Connection.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/DiagnosticsService.h"
#include "Theme/PanelBackdrop.h"
#include "Theme/TavimorAppearanceMode.h"
#include "Theme/TavimorTheme.h"
#include "Theme/ThemeQml.h"
#include "Widgets/AudioWidget.h"
#include "Widgets/CaffeinateWidget.h"
#include "Widgets/DayWidget.h"
#include "Widgets/DeviceBatteryWidget.h"
#include "Widgets/KeyboardCleanerWindow.h"
#include "Widgets/LocalServersWidget.h"
#include "Widgets/MusicWidget.h"
#include "Widgets/NotesWidget.h"
#include "Widgets/ShelfWidget.h"
#include "Widgets/SystemWidget.h"
#include "Widgets/UsageWidget.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QQuickWindow>
#include <QStandardPaths>

#include <cstdio>

namespace {

// The panel's widgets. Each feature adds its own here; they are built and registered in WidgetOrder's order,
// not this list's.
std::vector<std::unique_ptr<NotchWidget>> makeWidgets(IPreferences& preferences, IClipboard& clipboard,
                                                      IScheduler& scheduler,
                                                      HealthReminders& healthReminders) {
    const QDir data(AppPaths::dataDirectory());
    return WidgetOrder::construct({
        {QStringLiteral("daily"), [&] { return DayWidget::makeDefault(preferences, scheduler); }},
        {QStringLiteral("system"),
         [&] {
             return std::make_unique<SystemWidget>(
                 SystemMonitorService::Dependencies{preferences, &clipboard, QStringLiteral("/proc"), {}});
         }},
        {QStringLiteral("music"),
         [&] {
             return std::make_unique<MusicWidget>(std::make_unique<MusicService>(MusicService::Dependencies{
                 std::make_unique<DBusMprisSource>(QDBusConnection::sessionBus()),
                 std::make_unique<NetworkArtworkFetcher>(), std::make_unique<SystemClock>(), &scheduler,
                 Diagnostics::degraded}));
         }},
        {QStringLiteral("usage"), [] { return std::make_unique<UsageWidget>(); }},
        {QStringLiteral("devices"), [] { return std::make_unique<DeviceBatteryWidget>(); }},
        {QStringLiteral("servers"),
         [&] { return std::make_unique<LocalServersWidget>(nullptr, &scheduler); }},
        {QStringLiteral("shelf"),
         [&] {
             return std::make_unique<ShelfWidget>(
                 data.filePath(QStringLiteral("Shelf")),
                 QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
         }},
        {QStringLiteral("caffeinate"),
         [] { return std::make_unique<CaffeinateWidget>(Diagnostics::degraded); }},
        {QStringLiteral("audio"),
         [&] {
             return std::make_unique<AudioWidget>(std::make_unique<AudioInputService>(
                 std::make_unique<PulseAudioSystem>(Diagnostics::degraded, Diagnostics::restored),
                 preferences));
         }},
        {QStringLiteral("notes"),
         [&] { return std::make_unique<NotesWidget>(preferences, data.filePath(QStringLiteral("Notes"))); }},
        {QStringLiteral("break"), [&] { return healthReminders.makeBreakWidget(); }},
    });
}

// Qt's X11 platform aborts, core dump and all, when it finds no display; a native Wayland session is left
// to Qt.
bool lacksXDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool wantsX11 =
        platform.startsWith("xcb") || (platform.isEmpty() && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    return wantsX11 && !X11::displayReachable();
}

} // namespace

int main(int argc, char* argv[]) {
    L10n::loadCatalogue(QLocale::system().name());
    if (lacksXDisplay()) {
        const QString line =
            L10n::text("app.erro.sem_tela", "Tavimor precisa de uma tela X11: nenhuma responde em DISPLAY.",
                       "Única linha impressa quando não há display X11; o app termina");
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        return 1;
    }
    Diagnostics::installCrashHandlers();
    QmlWindow::chooseRenderer();
    registerGLibTypes();
    QQuickWindow::setDefaultAlphaBuffer(true);
    QGuiApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    keepRunningWithoutSessionBus(Diagnostics::degraded);
    const SingleInstance instance(QDBusConnection::sessionBus());
    if (!instance.isFirst()) {
        Diagnostics::write(Diagnostics::Level::Info,
                           QStringLiteral("Tavimor já está em execução; esta cópia termina"));
        return 0;
    }
    TerminationSignals terminationSignals;
    QObject::connect(
        &terminationSignals, &TerminationSignals::terminationRequested, &app, [](int signalNumber) {
            Diagnostics::write(Diagnostics::Level::Info, QStringLiteral("Encerrando a pedido do sistema"),
                               QStringLiteral("sinal %1").arg(signalNumber));
            QCoreApplication::quit();
        });

    QtScreens screens;
    JsonPreferences preferences(Diagnostics::degraded);
    registerThemeQmlTypes(preferences);
    registerShellQmlTypes();
    LinuxActivationPolicy activationPolicy;
    DBusScreenSleepSource sleepSource(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                      Diagnostics::degraded);
    ApplicationKeyMonitor keyMonitor;
    QtScheduler scheduler;

    SettingsWindowManager::shared().setSections(SettingsSections::all());

    AppDelegateDependencies dependencies;
    dependencies.screens = &screens;
    dependencies.activationPolicy = &activationPolicy;
    dependencies.sleepSource = &sleepSource;
    dependencies.keyMonitor = &keyMonitor;
    dependencies.scheduler = &scheduler;
    dependencies.preferences = &preferences;
    dependencies.settingsWindow = &SettingsWindowManager::shared();
    dependencies.onboarding = &OnboardingWindowManager::shared();
    dependencies.updater = &UpdaterService::shared();
    dependencies.logSessionStart = Diagnostics::logSessionStart;
    dependencies.reportDegraded = Diagnostics::degraded;
    dependencies.flushLog = Diagnostics::flush;
    QtClipboard clipboard;
    HealthReminders healthReminders(preferences, screens, sleepSource, scheduler, Diagnostics::degraded);
    dependencies.postureService = healthReminders.makePostureService();
    dependencies.blinkService = healthReminders.makeBlinkService();
    dependencies.widgets = makeWidgets(preferences, clipboard, scheduler, healthReminders);

    AppDelegate delegate(std::move(dependencies));
    X11PanelWindowFactory panelWindows(Diagnostics::degraded);
    TavimorTheme::setBlurBehind(panelWindows.blurBehind().isActive());
    QObject::connect(&panelWindows.blurBehind(), &BlurBehindWatch::activeChanged,
                     &TavimorTheme::setBlurBehind);
    X11ScreenCapture screenCapture;
    NotchPanelHost::Dependencies panelParts{delegate.stateManager(),
                                            delegate.registry(),
                                            screens,
                                            scheduler,
                                            panelWindows,
                                            [] { return QPointF(QCursor::pos()); },
                                            NotchHardwareProfile::current(),
                                            [] { SettingsWindowManager::shared().open(); }};
    panelParts.readBackdrop = [&screenCapture, &preferences](const QRect& global, const QRectF& inWindow) {
        const bool liquid = AppearanceMode::fromStored(AppearanceMode::storedRaw(preferences)) ==
                            TavimorAppearanceMode::liquid;
        PanelBackdrop::readBehind(screenCapture, liquid, global, inWindow);
    };
    NotchPanelHost panelHost(std::move(panelParts));
    delegate.attachPanelHost(&panelHost);
    QObject::connect(healthReminders.breakOverlay(), &BreakOverlayWindowManager::presented, &panelHost,
                     &NotchPanelHost::handleCovered);
    KeyboardCleanerWindow::whenWindowGone(&panelHost, [&panelHost] { panelHost.handleUncovered(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    return QGuiApplication::exec();
}
