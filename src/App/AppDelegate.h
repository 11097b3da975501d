#pragma once

#include "Core/NotchStateManager.h"
#include "Core/PanelHost.h"
#include "Foundation/Clock.h"
#include "Foundation/DegradedReporter.h"
#include "Platform/Keys/IKeyMonitor.h"
#include "Platform/Preferences/IPreferences.h"
#include "Platform/Screens/IScreenSleepSource.h"
#include "Platform/Screens/IScreens.h"
#include "Platform/Session/IActivationPolicy.h"
#include "Services/IReminderService.h"
#include "Services/OnboardingWindowManager.h"
#include "Services/SettingsWindowManager.h"
#include "Services/UpdaterService.h"
#include "Widgets/NotchWidget.h"
#include "Widgets/WidgetRegistry.h"

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

// Everything the application delegate works with. The platform objects, the launchers and the scheduler are
// borrowed and must outlive the delegate; the reminder services and the widgets become the delegate's own.
struct AppDelegateDependencies {
    IPanelHost* panelHost = nullptr;
    IScreens* screens = nullptr;
    IActivationPolicy* activationPolicy = nullptr;
    IScreenSleepSource* sleepSource = nullptr;
    IKeyMonitor* keyMonitor = nullptr;
    IScheduler* scheduler = nullptr;
    IPreferences* preferences = nullptr;
    SettingsWindowManager* settingsWindow = nullptr;
    OnboardingWindowManager* onboarding = nullptr;
    UpdaterService* updater = nullptr;

    std::function<void()> logSessionStart;
    DegradedReporter reportDegraded;
    std::function<void()> flushLog;

    // Either may be absent.
    std::unique_ptr<IReminderService> postureService;
    std::unique_ptr<IReminderService> blinkService;

    // The panel's widgets, in any order: they are registered in WidgetOrder's order. A widget exposes the
    // service it owns as its QObject* property "service"; the system widget takes the keep-awake service
    // through its property "caffeinateService".
    std::vector<std::unique_ptr<NotchWidget>> widgets;
};

// The spine of the running application: owns the panel state, the widget registry, the widgets and the
// reminder services for the life of the process, runs the start-up and shut-down sequences, and follows
// screen changes and the displays going to sleep and waking.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    static constexpr int onboardingDelayMs = 600;
    static inline const QString keepAwakeWidgetId = QStringLiteral("caffeinate");

    explicit AppDelegate(AppDelegateDependencies dependencies, QObject* parent = nullptr);

    // The panel is built over the delegate's own state manager and registry, so it is attached after
    // construction and before launching finishes.
    void attachPanelHost(IPanelHost* panelHost) { m_deps.panelHost = panelHost; }

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    void handleScreenChange();
    void handleScreenSleep();
    void handleScreenWake();

    NotchStateManager& stateManager() { return m_stateManager; }
    WidgetRegistry& registry() { return m_registry; }
    bool screenAsleep() const { return m_screenAsleep; }

    // Control and "," (Command and "," on a Mac keyboard). Other modifiers held with Control do not matter;
    // Shift and "," is "<", another key.
    static bool isSettingsShortcut(int key, Qt::KeyboardModifiers modifiers);

private:
    void handOverKeepAwakeService();
    void registerWidgets();
    void handleOpenChange(bool opened);
    void scheduleOnboardingCheck();
    void installKeyMonitor();
    NotchWidget* widget(const QString& id) const;
    QObject* serviceOf(const QString& id) const;
    void startReminders();
    void stopReminders();

    AppDelegateDependencies m_deps;
    QMetaObject::Connection m_screenObserver;
    QMetaObject::Connection m_sleepObserver;
    QMetaObject::Connection m_wakeObserver;
    bool m_keyMonitorInstalled = false;
    bool m_screenAsleep = false;
    NotchStateManager m_stateManager;
    WidgetRegistry m_registry;
};
