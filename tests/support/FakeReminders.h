#pragma once

#include "Platform/Logind/ILogindSession.h"
#include "Platform/Windows/IReminderWindow.h"
#include "Services/SystemPresence.h"

#include <QList>

class FakePresence final : public IPresence {
public:
    bool present = true;
    bool userIsPresent() const override { return present; }
};

class FakeDisplayPower final : public IDisplayPower {
public:
    bool off = false;
    bool screensOff() const override { return off; }
};

// Answers lock requests at once: accepted, or refused with an error.
class FakeLogindSession final : public ILogindSession {
public:
    enum class Answer { accept, refuse };
    Answer answer = Answer::accept;

    bool isKnown() const override { return true; }
    bool isActive() const override { return true; }
    bool isLocked() const override { return false; }
    void lock(QObject*, LockDone done) override {
        done(answer == Answer::accept, QStringLiteral("no locker"));
    }
};

// Records every window it makes; a window is visible between show() and orderOut().
class FakeReminderWindows final : public IReminderWindowFactory {
public:
    struct Window final : IReminderWindow {
        ReminderWindowSpec spec;
        bool visible = false;
        void show() override { visible = true; }
        void orderOut() override { visible = false; }
        QRect geometry() const override { return spec.geometry; }
        void setViewProperty(const char* name, const QVariant& value) override {
            spec.properties.insert(QString::fromLatin1(name), value);
        }
    };
    bool translucent = true;
    bool blurBehind = false;
    QList<Window*> made; // owned by the caller; only the last ones live

    bool translucencyAvailable() override { return translucent; }
    bool blurBehindAvailable() override { return blurBehind; }
    std::unique_ptr<IReminderWindow> create(ReminderWindowSpec spec) override {
        auto window = std::make_unique<Window>();
        window->spec = std::move(spec);
        made.append(window.get());
        return window;
    }
};
