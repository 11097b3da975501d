#pragma once

#include "CallLog.h"
#include "Widgets/NotchWidget.h"

// A widget for tests: switchable activity and icon, start and stop logged as "<id>.start" and "<id>.stop".
// Like the real widgets it owns a service, exposed as its "service" property.
class FakeWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ service CONSTANT)
    Q_PROPERTY(QObject* caffeinateService MEMBER caffeinateService)

public:
    FakeWidget(const QString& id, int priority, CallLog* log, bool active = true)
        : m_id(id)
        , m_priority(priority)
        , m_active(active)
        , m_log(log) {}

    QString id() const override { return m_id; }
    QString name() const override { return m_id; }
    int priority() const override { return m_priority; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override { return m_icon; }
    bool isActive() const override { return m_active; }
    bool showInCompactBar() const override { return false; }
    QUrl expandedBody() const override { return QUrl(QStringLiteral("qrc:/Views/Fake.qml")); }
    void start() override { m_log->add(m_id + ".start"); }
    void stop() override { m_log->add(m_id + ".stop"); }
    QObject* service() { return &m_service; }
    void setActive(bool active) { m_active = active, Q_EMIT isActiveChanged(); }
    void setIcon(const QString& icon) { m_icon = icon, Q_EMIT iconChanged(); }

    QObject* caffeinateService = nullptr;

private:
    QString m_id;
    int m_priority;
    bool m_active;
    QString m_icon = QStringLiteral("cpu");
    CallLog* m_log;
    QObject m_service;
};
