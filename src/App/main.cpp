#include "App/AppDelegate.h"
#include "Core/NotchPanelHost.h"
#include "Core/ShellQml.h"
#include "Foundation/L10n.h"
#include "Platform/Keys/ApplicationKeyMonitor.h"
#include "Platform/Panel/X11PanelWindow.h"
#include "Platform/Preferences/JsonPreferences.h"
#include "Platform/Screens/DBusScreenSleepSource.h"
#include "Platform/Screens/QtScreens.h"
#include "Platform/Session/LinuxActivationPolicy.h"
#include "Platform/Session/TerminationSignals.h"
#include "Services/DiagnosticsService.h"
#include "Theme/ThemeQml.h"
#include "Widgets/DayWidget.h"

#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QLocale>
#include <QQuickWindow>

namespace {

// The panel's widgets. Each feature adds its own here; the registration order is WidgetOrder's, not this
// list's.
std::vector<std::unique_ptr<NotchWidget>> makeWidgets(IPreferences& preferences, IScheduler& scheduler) {
    std::vector<std::unique_ptr<NotchWidget>> widgets;
    widgets.push_back(DayWidget::makeDefault(preferences, scheduler));
    return widgets;
}

} // namespace

int main(int argc, char* argv[]) {
    QQuickWindow::setDefaultAlphaBuffer(true);
    QGuiApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    L10n::loadCatalogue(QLocale::system().name());

    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &app,
                     &QCoreApplication::quit);

    QtScreens screens;
    JsonPreferences preferences;
    registerThemeQmlTypes(preferences);
    registerShellQmlTypes();
    LinuxActivationPolicy activationPolicy;
    DBusScreenSleepSource sleepSource(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                      Diagnostics::degraded);
    ApplicationKeyMonitor keyMonitor;
    QtScheduler scheduler;

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
    dependencies.installCrashHandlers = Diagnostics::installCrashHandlers;
    dependencies.logSessionStart = Diagnostics::logSessionStart;
    dependencies.reportDegraded = Diagnostics::degraded;
    dependencies.flushLog = Diagnostics::flush;
    dependencies.widgets = makeWidgets(preferences, scheduler);

    AppDelegate delegate(std::move(dependencies));
    X11PanelWindowFactory panelWindows(Diagnostics::degraded);
    NotchPanelHost panelHost({delegate.stateManager(), delegate.registry(), screens, scheduler, panelWindows,
                              [] { return QPointF(QCursor::pos()); }, NotchHardwareProfile::current(),
                              [] { SettingsWindowManager::shared().open(); }});
    delegate.attachPanelHost(&panelHost);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    return QGuiApplication::exec();
}
