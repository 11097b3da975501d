#pragma once

#include <QRect>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>

// A borderless window of the health reminders, above other windows on every workspace and without a taskbar
// entry. An overlay covers a whole screen (full screen, takes clicks, may take the keyboard focus); a panel
// is small, lets every click through and never takes the focus.
struct ReminderWindowSpec {
    enum class Kind { overlay, panel };

    Kind kind = Kind::panel;
    QRect geometry; // global, logical pixels
    QUrl view;      // QML root item, created with `properties`
    QVariantMap properties;
    bool takesFocus = false;             // overlays only
    bool blurBehind = false;             // overlays only: the compositor blurs what lies behind the window
    std::function<void()> escapePressed; // overlays only; the press is consumed
};

class IReminderWindow {
public:
    virtual ~IReminderWindow() = default;
    virtual void show() = 0;
    virtual void orderOut() = 0;
    virtual QRect geometry() const = 0;
    virtual void setViewProperty(const char* name, const QVariant& value) = 0;
};

class IReminderWindowFactory {
public:
    virtual ~IReminderWindowFactory() = default;
    // False when nothing composites the screen: a translucent window would show black where it is clear.
    virtual bool translucencyAvailable() = 0;
    // Whether the compositor blurs what lies behind a window that asks for it.
    virtual bool blurBehindAvailable() = 0;
    virtual std::unique_ptr<IReminderWindow> create(ReminderWindowSpec spec) = 0;
};
