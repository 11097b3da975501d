#pragma once

#include "CallLog.h"
#include "Core/PanelHost.h"
#include "Platform/Keys/IKeyMonitor.h"
#include "Platform/Screens/IScreenSleepSource.h"
#include "Platform/Screens/IScreens.h"
#include "Platform/Session/IActivationPolicy.h"
#include "Services/IReminderService.h"

#include <QList>

class FakeScreens final : public IScreens {
public:
    QList<ScreenInfo> list;
    std::optional<ScreenInfo> main;

    QList<ScreenInfo> screens() const override { return list; }
    std::optional<ScreenInfo> mainScreen() const override { return main; }
};

// The sleep source logs as "sleepSource.start" and "sleepSource.stop".
class FakeScreenSleepSource final : public IScreenSleepSource {
public:
    CallLog* log = nullptr;
    void start() override { log->add("sleepSource.start"); }
    void stop() override { log->add("sleepSource.stop"); }
};

// The panel host, activation policy and key monitor of the application, every call logged.
class FakeShell final : public IPanelHost, public IActivationPolicy, public IKeyMonitor {
public:
    CallLog* log = nullptr;
    Handler handler;
    void setupPanel() override { log->add("panel.setup"); }
    void stopHoverMonitor() override { log->add("panel.stopHover"); }
    void stopDragMonitor() override { log->add("panel.stopDrag"); }
    void cancelPendingClose() override { log->add("panel.cancelClose"); }
    void becomeAccessory() override { log->add("accessory"); }
    void setHandler(Handler newHandler) override {
        handler = std::move(newHandler), log->add("keyMonitor.set");
    }
    void clearHandler() override { handler = nullptr, log->add("keyMonitor.clear"); }
    // True when the application's handler consumed the press.
    bool press(int key, Qt::KeyboardModifiers modifiers) { return handler && handler(key, modifiers); }
};

class FakeReminderService final : public IReminderService {
public:
    FakeReminderService(QString name, CallLog* log)
        : name(std::move(name))
        , log(log) {}
    void start() override { log->add(name + ".start"); }
    void stop() override { log->add(name + ".stop"); }

private:
    QString name;
    CallLog* log;
};
