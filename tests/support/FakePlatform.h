#pragma once

#include "CallLog.h"
#include "Core/PanelHost.h"
#include "Platform/Keys/IKeyMonitor.h"
#include "Platform/Panel/IPanelWindow.h"
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

// Panel windows made by FakeWindowFactory; they share one log of what was done to them.
struct WindowLog {
    int created = 0;
    int orderedOut = 0;
    int makeKey = 0;
    int resignKey = 0;
};

class FakePanelWindow final : public IPanelWindow {
public:
    FakePanelWindow(PanelWindowSpec spec, WindowLog& log)
        : spec(std::move(spec))
        , log(log) {}
    QRectF frame() const override { return spec.frame; }
    void show() override { shown = true; }
    void orderOut() override { ++log.orderedOut; }
    void setExpanded(bool value) override { expanded = value; }
    bool isKey() const override { return log.makeKey > log.resignKey; }
    void makeKey() override { ++log.makeKey; }
    void resignKey() override { ++log.resignKey; }

    PanelWindowSpec spec;
    WindowLog& log;
    bool shown = false;
    bool expanded = false;
};

class FakeWindowFactory final : public IPanelWindowFactory {
public:
    std::unique_ptr<IPanelWindow> create(PanelWindowSpec spec) override {
        ++log.created;
        auto window = std::make_unique<FakePanelWindow>(std::move(spec), log);
        last = window.get();
        return window;
    }
    WindowLog log;
    FakePanelWindow* last = nullptr;
};

// The panel host, activation policy, key monitor and screen sleep source of the application, every call
// logged.
class FakeShell final : public IScreenSleepSource,
                        public IPanelHost,
                        public IActivationPolicy,
                        public IKeyMonitor {
public:
    CallLog* log = nullptr;
    Handler handler;
    void start() override { log->add("sleepSource.start"); }
    void stop() override { log->add("sleepSource.stop"); }
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
