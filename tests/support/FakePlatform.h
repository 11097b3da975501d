#pragma once

#include "CallLog.h"
#include "Core/PanelHost.h"
#include "Platform/IActivationPolicy.h"
#include "Platform/IKeyMonitor.h"
#include "Platform/IScreenSleepSource.h"
#include "Platform/IScreens.h"
#include "Services/IReminderService.h"

#include <QList>

class FakeScreens final : public IScreens {
public:
    QList<ScreenInfo> list;
    std::optional<ScreenInfo> main;

    QList<ScreenInfo> screens() const override { return list; }
    std::optional<ScreenInfo> mainScreen() const override { return main; }
    void change() { Q_EMIT screensChanged(); }
};

class FakeScreenSleepSource final : public IScreenSleepSource {
public:
    explicit FakeScreenSleepSource(CallLog* log)
        : log(log) {}
    void start() override { log->add(QStringLiteral("sleepSource.start")); }
    void stop() override { log->add(QStringLiteral("sleepSource.stop")); }
    void sleep() { Q_EMIT screensDidSleep(); }
    void wake() { Q_EMIT screensDidWake(); }

private:
    CallLog* log;
};

class FakeKeyMonitor final : public IKeyMonitor {
public:
    explicit FakeKeyMonitor(CallLog* log)
        : log(log) {}
    void setHandler(Handler newHandler) override {
        handler = std::move(newHandler);
        log->add(QStringLiteral("keyMonitor.set"));
    }
    void clearHandler() override {
        handler = nullptr;
        log->add(QStringLiteral("keyMonitor.clear"));
    }
    // True when the application's handler consumed the press.
    bool press(int key, Qt::KeyboardModifiers modifiers) { return handler && handler(key, modifiers); }

private:
    Handler handler;
    CallLog* log;
};

class FakeActivationPolicy final : public IActivationPolicy {
public:
    explicit FakeActivationPolicy(CallLog* log)
        : log(log) {}
    void becomeAccessory() override { log->add(QStringLiteral("accessory")); }

private:
    CallLog* log;
};

class FakePanelHost final : public IPanelHost {
public:
    explicit FakePanelHost(CallLog* log)
        : log(log) {}
    void setupPanel() override { log->add(QStringLiteral("panel.setup")); }
    void stopHoverMonitor() override { log->add(QStringLiteral("panel.stopHover")); }
    void stopDragMonitor() override { log->add(QStringLiteral("panel.stopDrag")); }
    void cancelPendingClose() override { log->add(QStringLiteral("panel.cancelClose")); }

private:
    CallLog* log;
};

class FakeReminderService final : public IReminderService {
public:
    FakeReminderService(QString name, CallLog* log)
        : name(std::move(name))
        , log(log) {}
    void start() override { log->add(name + QStringLiteral(".start")); }
    void stop() override { log->add(name + QStringLiteral(".stop")); }

private:
    QString name;
    CallLog* log;
};
