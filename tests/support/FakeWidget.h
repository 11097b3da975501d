#pragma once

#include "CallLog.h"
#include "Widgets/NotchWidget.h"
#include "Widgets/WidgetRegistry.h"

#include <memory>
#include <vector>

// A widget whose every value a test sets; changing a live value emits the widget's change signal. Given a
// log, start and stop are logged as "<id>.start" and "<id>.stop". Like the real widgets it owns a service,
// exposed as its "service" property.
class FakeWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ service CONSTANT)
    Q_PROPERTY(QObject* caffeinateService MEMBER caffeinateService)

public:
    FakeWidget(QString id, int priority, CallLog* log = nullptr, WidgetGroup group = WidgetGroup::DiaADia)
        : m_id(std::move(id))
        , m_priority(priority)
        , m_group(group)
        , m_log(log) {}

    QString id() const override { return m_id; }
    QString name() const override { return m_id; }
    int priority() const override { return m_priority; }
    WidgetGroup group() const override { return m_group; }
    QString icon() const override { return m_icon; }
    bool isActive() const override { return m_active; }
    bool hasCompactContent() const override { return m_hasCompactContent; }
    bool showInCompactBar() const override { return m_showInCompactBar; }
    QUrl compactBody() const override { return m_compactBody; }
    QUrl expandedBody() const override { return m_expandedBody; }
    void start() override { logCall(".start"); }
    void stop() override { logCall(".stop"); }
    QObject* service() { return &m_service; }

    void setIcon(const QString& icon) { m_icon = icon, Q_EMIT iconChanged(); }
    void setActive(bool active) { m_active = active, Q_EMIT isActiveChanged(); }
    void setHasCompactContent(bool has) { m_hasCompactContent = has, Q_EMIT hasCompactContentChanged(); }
    void setShowInCompactBar(bool show) { m_showInCompactBar = show, Q_EMIT showInCompactBarChanged(); }
    void setBodies(QUrl compact, QUrl expanded) {
        m_compactBody = std::move(compact), m_expandedBody = std::move(expanded);
    }

    QObject* caffeinateService = nullptr;

private:
    void logCall(const char* what) {
        if (m_log)
            m_log->add(m_id + QLatin1String(what));
    }

    QString m_id;
    int m_priority;
    WidgetGroup m_group;
    CallLog* m_log;
    QString m_icon = QStringLiteral("calendar");
    bool m_active = true;
    bool m_hasCompactContent = false;
    bool m_showInCompactBar = true;
    QUrl m_compactBody;
    QUrl m_expandedBody;
    QObject m_service;
};

// Fake widgets registered in the order added, with ascending priorities, as the application registers them.
struct WidgetSet {
    CallLog* log = nullptr;
    std::vector<std::unique_ptr<FakeWidget>> widgets;
    WidgetRegistry registry;

    FakeWidget* add(const QString& id, WidgetGroup group = WidgetGroup::DiaADia, int priority = -1) {
        widgets.push_back(
            std::make_unique<FakeWidget>(id, priority < 0 ? int(widgets.size()) : priority, log, group));
        registry.registerWidget(widgets.back().get());
        return widgets.back().get();
    }
};

template <typename Widget> QStringList idsOf(const QList<Widget*>& widgets) {
    QStringList ids;
    for (const Widget* widget : widgets)
        ids.append(qobject_cast<const AnyNotchWidget*>(widget)->id());
    return ids;
}
