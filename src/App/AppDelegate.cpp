#include "App/AppDelegate.h"

#include "App/WidgetOrder.h"

#include <QPointer>

#include <algorithm>

AppDelegate::AppDelegate(AppDelegateDependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies)) {
    m_deps.settingsWindow->setScreens(m_deps.screens);
    m_deps.settingsWindow->setPreferences(m_deps.preferences);
    m_deps.onboarding->setPreferences(m_deps.preferences);
    m_deps.onboarding->setScreens(m_deps.screens);
    // Both open below the notch: settings opened during onboarding goes beside it, so that both can be seen.
    m_deps.settingsWindow->setOpenBeside(
        [onboarding = QPointer<OnboardingWindowManager>(m_deps.onboarding)]() -> const QWindow* {
            return onboarding ? onboarding->window() : nullptr;
        });
    m_deps.updater->setDegradedReporter(m_deps.reportDegraded);
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_deps.logSessionStart)
        m_deps.logSessionStart();
    m_deps.activationPolicy->becomeAccessory();
    handOverKeepAwakeService();
    registerWidgets();
    m_deps.settingsWindow->setUsageService(serviceOf(QStringLiteral("usage")));
    m_deps.updater->start();
    m_registry.startAll();
    m_registry.pauseExpandedOnly();
    m_stateManager.setOnOpenChange([self = QPointer<AppDelegate>(this)](bool opened) {
        if (self)
            self->handleOpenChange(opened);
    });
    m_deps.panelHost->setupPanel();
    startReminders();
    scheduleOnboardingCheck();
    m_screenObserver =
        connect(m_deps.screens, &IScreens::screensChanged, this, &AppDelegate::handleScreenChange);
    m_sleepObserver = connect(m_deps.sleepSource, &IScreenSleepSource::screensDidSleep, this,
                              &AppDelegate::handleScreenSleep);
    m_wakeObserver = connect(m_deps.sleepSource, &IScreenSleepSource::screensDidWake, this,
                             &AppDelegate::handleScreenWake);
    m_deps.sleepSource->start();
    installKeyMonitor();
}

void AppDelegate::applicationWillTerminate() {
    m_registry.stopAll();
    stopReminders();
    m_deps.updater->invalidateCanCheckObservation();
    m_deps.panelHost->stopHoverMonitor();
    m_deps.panelHost->stopDragMonitor();
    m_deps.panelHost->cancelPendingClose();
    disconnect(m_screenObserver);
    disconnect(m_sleepObserver);
    disconnect(m_wakeObserver);
    m_deps.sleepSource->stop();
    if (m_keyMonitorInstalled) {
        m_deps.keyMonitor->clearHandler();
        m_keyMonitorInstalled = false;
    }
    if (m_deps.flushLog)
        m_deps.flushLog();
}

void AppDelegate::handleScreenChange() {
    m_deps.panelHost->stopHoverMonitor();
    m_deps.panelHost->cancelPendingClose();
    m_stateManager.close();
    m_deps.panelHost->setupPanel();
}

void AppDelegate::handleScreenSleep() {
    if (m_screenAsleep)
        return;
    m_screenAsleep = true;
    m_registry.stopAll({keepAwakeWidgetId});
    stopReminders();
}

void AppDelegate::handleScreenWake() {
    if (!m_screenAsleep)
        return;
    m_screenAsleep = false;
    m_registry.startAll();
    // The panel may be open: the expanded-only widgets still wait for the next open.
    m_registry.pauseExpandedOnly();
    startReminders();
}

bool AppDelegate::isSettingsShortcut(int key, Qt::KeyboardModifiers modifiers) {
    return modifiers.testFlag(Qt::ControlModifier) && key == Qt::Key_Comma;
}

void AppDelegate::handOverKeepAwakeService() {
    NotchWidget* system = widget(QStringLiteral("system"));
    QObject* keepAwakeService = serviceOf(keepAwakeWidgetId);
    if (system && keepAwakeService)
        system->setProperty("caffeinateService", QVariant::fromValue(keepAwakeService));
}

void AppDelegate::registerWidgets() {
    QList<NotchWidget*> widgets;
    for (const auto& owned : m_deps.widgets)
        widgets.append(owned.get());
    for (NotchWidget* widget : WidgetOrder::sorted(widgets))
        m_registry.registerWidget(widget);
}

void AppDelegate::handleOpenChange(bool opened) {
    if (m_screenAsleep)
        return;
    if (opened)
        m_registry.resumeExpandedOnly();
    else
        m_registry.pauseExpandedOnly();
}

void AppDelegate::scheduleOnboardingCheck() {
    m_deps.scheduler->after(onboardingDelayMs, this, [this] {
        if (!OnboardingWindowManager::isCompleted(*m_deps.preferences))
            m_deps.onboarding->show();
    });
}

void AppDelegate::installKeyMonitor() {
    m_deps.keyMonitor->setHandler(
        [self = QPointer<AppDelegate>(this)](int key, Qt::KeyboardModifiers modifiers) {
            if (!self || !isSettingsShortcut(key, modifiers))
                return false;
            self->m_deps.settingsWindow->open();
            return true;
        });
    m_keyMonitorInstalled = true;
}

NotchWidget* AppDelegate::widget(const QString& id) const {
    const auto found = std::find_if(m_deps.widgets.cbegin(), m_deps.widgets.cend(),
                                    [&](const auto& widget) { return widget->id() == id; });
    return found != m_deps.widgets.cend() ? found->get() : nullptr;
}

QObject* AppDelegate::serviceOf(const QString& id) const {
    const NotchWidget* owner = widget(id);
    return owner ? owner->property("service").value<QObject*>() : nullptr;
}

void AppDelegate::startReminders() {
    if (m_deps.postureService)
        m_deps.postureService->start();
    if (m_deps.blinkService)
        m_deps.blinkService->start();
}

void AppDelegate::stopReminders() {
    if (m_deps.postureService)
        m_deps.postureService->stop();
    if (m_deps.blinkService)
        m_deps.blinkService->stop();
}
