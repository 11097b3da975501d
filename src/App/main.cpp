#include "App/AppDelegate.h"
#include "Core/L10n.h"
#include "Platform/ApplicationKeyMonitor.h"
#include "Platform/DBusScreenSleepSource.h"
#include "Platform/JsonPreferences.h"
#include "Platform/LinuxActivationPolicy.h"
#include "Platform/TerminationSignals.h"
#include "Services/DiagnosticsService.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QLocale>
#include <QQuickWindow>
#include <QScreen>
#include <QTimer>

namespace {

// Construction point of the screens provider: the primary screen and its neighbours as Qt reports them,
// without a notch, until the provider with the virtual notch is wired in.
class PlainScreens final : public IScreens {
public:
    PlainScreens() {
        m_coalesce.setSingleShot(true);
        m_coalesce.setInterval(0);
        connect(&m_coalesce, &QTimer::timeout, this, &IScreens::screensChanged);
        const auto changed = [this] { m_coalesce.start(); };
        connect(qApp, &QGuiApplication::screenAdded, this, changed);
        connect(qApp, &QGuiApplication::screenRemoved, this, changed);
        connect(qApp, &QGuiApplication::primaryScreenChanged, this, changed);
    }

    QList<ScreenInfo> screens() const override {
        QList<ScreenInfo> result;
        for (const QScreen* screen : QGuiApplication::screens())
            result.append(infoOf(*screen));
        return result;
    }

    std::optional<ScreenInfo> mainScreen() const override {
        const QScreen* primary = QGuiApplication::primaryScreen();
        return primary ? std::optional<ScreenInfo>(infoOf(*primary)) : std::nullopt;
    }

private:
    static ScreenInfo infoOf(const QScreen& screen) {
        ScreenInfo info;
        info.name = screen.name();
        info.frame = screen.geometry();
        info.visibleFrame = screen.availableGeometry();
        info.devicePixelRatio = screen.devicePixelRatio();
        return info;
    }

    QTimer m_coalesce;
};

// Construction point of the notch panel: nothing is drawn until the panel host is wired in.
class NoPanelHost final : public IPanelHost {
public:
    void setupPanel() override {}
    void stopHoverMonitor() override {}
    void stopDragMonitor() override {}
    void cancelPendingClose() override {}
};

// The panel's widgets. Each feature adds its own here; the registration order is WidgetOrder's, not this
// list's.
std::vector<std::unique_ptr<NotchWidget>> makeWidgets() {
    return {};
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

    PlainScreens screens;
    NoPanelHost panelHost;
    JsonPreferences preferences;
    LinuxActivationPolicy activationPolicy;
    DBusScreenSleepSource sleepSource(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                      Diagnostics::degraded);
    ApplicationKeyMonitor keyMonitor;
    QtScheduler scheduler;

    AppDelegateDependencies dependencies;
    dependencies.panelHost = &panelHost;
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
    dependencies.widgets = makeWidgets();

    AppDelegate delegate(std::move(dependencies));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    return QGuiApplication::exec();
}
