#include "App/HealthReminders.h"

#include "Core/NotchGeometry.h"
#include "Foundation/NotificationCenter.h"
#include "Models/NotchHardwareProfile.h"
#include "Models/ReminderPlacement.h"
#include "Services/BlinkService.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/PostureService.h"
#include "Widgets/BreakWidget.h"

#include <QDBusConnection>

#include <cmath>

HealthReminders::HealthReminders(IPreferences& preferences, IScreens& screens,
                                 IScreenSleepSource& sleepSource, IScheduler& scheduler,
                                 DegradedReporter reportDegraded)
    : m_preferences(preferences)
    , m_screens(screens)
    , m_scheduler(scheduler)
    , m_session(QDBusConnection::systemBus(), QDBusConnection::sessionBus())
    , m_presence(&m_session, &sleepSource, &m_displayPower)
    , m_windows(std::move(reportDegraded)) {
    m_session.start();
}

std::unique_ptr<NotchWidget> HealthReminders::makeBreakWidget() {
    auto overlay = std::make_unique<BreakOverlayWindowManager>(m_screens, m_windows, m_clock);
    // The notch panel stays above the break on its screen: the compact bar's strip is covered there.
    overlay->setTopCover([this](const ScreenInfo& screen) {
        if (screen != NotchGeometry::notchScreen(m_screens.screens(), m_screens.mainScreen()))
            return 0;
        const double drop = NotchHardwareProfile::current().compactVisibleDrop;
        return int(std::ceil(NotchGeometry::notchSize(screen).height() + drop));
    });
    overlay->setScreenCapture(&m_screenCapture);
    m_breakOverlay = overlay.get();
    auto service = std::make_unique<BreakService>(
        BreakService::Dependencies{m_preferences, m_clock, m_scheduler, m_presence, &m_session,
                                   NotificationCenter::shared()},
        std::move(overlay));
    return std::make_unique<BreakWidget>(m_preferences, NotificationCenter::shared(), std::move(service));
}

std::unique_ptr<IReminderService> HealthReminders::makePostureService() {
    return std::make_unique<PostureService>(
        IntervalReminderService::Dependencies{m_preferences, m_clock, m_scheduler, m_presence,
                                              NotificationCenter::shared()},
        ReminderPanels::Dependencies{m_screens, m_windows, m_scheduler, m_clock,
                                     ReminderCoordinator::shared()});
}

std::unique_ptr<IReminderService> HealthReminders::makeBlinkService() {
    return std::make_unique<BlinkService>(
        IntervalReminderService::Dependencies{m_preferences, m_clock, m_scheduler, m_presence,
                                              NotificationCenter::shared()},
        ReminderPanels::Dependencies{m_screens, m_windows, m_scheduler, m_clock,
                                     ReminderCoordinator::shared()});
}
