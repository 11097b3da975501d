#include "Platform/Keys/ApplicationKeyMonitor.h"

#include <QCoreApplication>
#include <QKeyEvent>

ApplicationKeyMonitor::ApplicationKeyMonitor(QObject* parent)
    : QObject(parent) {}

ApplicationKeyMonitor::~ApplicationKeyMonitor() {
    clearHandler();
}

void ApplicationKeyMonitor::setHandler(Handler handler) {
    if (!handler) {
        clearHandler();
        return;
    }
    auto* application = QCoreApplication::instance();
    if (!application)
        return;
    if (!m_handler)
        application->installEventFilter(this);
    m_handler = std::move(handler);
}

void ApplicationKeyMonitor::clearHandler() {
    if (!m_handler)
        return;
    m_handler = nullptr;
    if (auto* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool ApplicationKeyMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && m_handler) {
        const auto* press = static_cast<QKeyEvent*>(event);
        if (m_handler(press->key(), press->modifiers()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
