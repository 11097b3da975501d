#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DegradedReporter.h"
#include "Platform/Capture/X11ScreenCapture.h"
#include "Platform/Logind/LogindSession.h"
#include "Platform/Screens/X11DisplayPower.h"
#include "Platform/Windows/X11ReminderWindow.h"
#include "Services/IReminderService.h"
#include "Services/SystemPresence.h"
#include "Widgets/NotchWidget.h"

#include <memory>

class BreakOverlayWindowManager;
class IPreferences;
class IScreens;
class IScreenSleepSource;

// The health reminders of the running application: the logind session and the display's power state that tell
// whether the user is there (the session also locks the screen), and the windows of the breaks and reminders.
// Must outlive what it makes.
class HealthReminders {
public:
    HealthReminders(IPreferences& preferences, IScreens& screens, IScreenSleepSource& sleepSource,
                    IScheduler& scheduler, DegradedReporter reportDegraded);

    std::unique_ptr<NotchWidget> makeBreakWidget();
    // The break widget's overlay, once made.
    BreakOverlayWindowManager* breakOverlay() const { return m_breakOverlay; }
    std::unique_ptr<IReminderService> makePostureService();
    std::unique_ptr<IReminderService> makeBlinkService();

private:
    IPreferences& m_preferences;
    IScreens& m_screens;
    IScheduler& m_scheduler;
    SystemClock m_clock;
    LogindSession m_session;
    X11DisplayPower m_displayPower;
    SystemPresence m_presence;
    X11ReminderWindowFactory m_windows;
    X11ScreenCapture m_screenCapture;
    BreakOverlayWindowManager* m_breakOverlay = nullptr;
};
