#include "App/AppDelegate.h"
#include "Core/L10n.h"
#include "Platform/ApplicationKeyMonitor.h"
#include "Platform/DBusScreenSleepSource.h"
#include "Platform/LinuxActivationPolicy.h"
#include "Platform/TerminationSignals.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QHash>
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

// Construction point of the preferences store: values last for this session only until the file-backed store
// is wired in.
class SessionPreferences final : public IPreferences {
public:
    bool contains(const QString& key) const override { return m_values.contains(key); }
    QVariant value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QVariant& value) override {
        m_values.insert(key, value);
        Q_EMIT changed(key);
    }
    void remove(const QString& key) override {
        if (m_values.remove(key) > 0)
            Q_EMIT changed(key);
    }

private:
    QHash<QString, QVariant> m_values;
};

// Construction point of the diagnostics log: degraded features go to the Qt log until the log file is wired
// in.
void reportDegraded(const QString& component, const QString& reason, const QString& impact) {
    qWarning().noquote()
        << QStringLiteral("[%1] indisponível — %2 · impacto: %3").arg(component, reason, impact);
}

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
    SessionPreferences preferences;
    LinuxActivationPolicy activationPolicy;
    DBusScreenSleepSource sleepSource(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                      reportDegraded);
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
    dependencies.reportDegraded = reportDegraded;
    dependencies.widgets = makeWidgets();

    AppDelegate delegate(std::move(dependencies));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    return QGuiApplication::exec();
}
