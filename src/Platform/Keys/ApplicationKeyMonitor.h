#pragma once

#include "Platform/Keys/IKeyMonitor.h"

#include <QObject>

// The key monitor on Qt: an event filter on the application object, so it sees every key press delivered to
// any of the application's windows before the focused item gets it. Presses meant for other applications
// never reach it, as with any local monitor.
class ApplicationKeyMonitor final : public QObject, public IKeyMonitor {
    Q_OBJECT
public:
    explicit ApplicationKeyMonitor(QObject* parent = nullptr);
    ~ApplicationKeyMonitor() override;

    void setHandler(Handler handler) override;
    void clearHandler() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler m_handler;
};
