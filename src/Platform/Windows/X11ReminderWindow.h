#pragma once

#include "Foundation/DegradedReporter.h"
#include "Platform/Windows/IReminderWindow.h"

#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

// A reminder window on X11. Besides Qt's own flags it carries the EWMH hints the window managers honour:
// above, sticky (and on every desktop), skipped by taskbars and pagers, and full screen for an overlay. Cut
// to its outline, a panel shows only the capsule its view reports as `outline`, where without a compositor
// the rest of it would be painted black.
class X11ReminderWindow final : public QQuickWindow, public IReminderWindow {
    Q_OBJECT
public:
    X11ReminderWindow(QQmlEngine& engine, ReminderWindowSpec spec, bool cutToOutline);
    ~X11ReminderWindow() override;

    void show() override;
    void orderOut() override { hide(); }
    QRect geometry() const override { return QQuickWindow::geometry(); }
    void setViewProperty(const char* name, const QVariant& value) override;

private Q_SLOTS:
    void applyOutline();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void configure();
    void setX11Hints();
    void loadRoot(QQmlEngine& engine);
    void followOutline();

    ReminderWindowSpec m_spec;
    QPointer<QQuickItem> m_root;
};

// Builds reminder windows over one QML engine.
class X11ReminderWindowFactory final : public IReminderWindowFactory {
public:
    explicit X11ReminderWindowFactory(DegradedReporter reportDegraded)
        : m_reportDegraded(std::move(reportDegraded)) {}

    QQmlEngine& engine() { return m_engine; }
    bool translucencyAvailable() override;
    bool blurBehindAvailable() override;
    std::unique_ptr<IReminderWindow> create(ReminderWindowSpec spec) override;

private:
    DegradedReporter m_reportDegraded;
    QQmlEngine m_engine;
    bool m_reported = false;
};
