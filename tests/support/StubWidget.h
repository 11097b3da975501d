#pragma once

#include "Widgets/NotchWidget.h"

// A widget whose every value a test sets. Changing a live value emits the widget's change signal.
class StubWidget final : public NotchWidget {
public:
    StubWidget(QString id, int priority, WidgetGroup group = WidgetGroup::DiaADia, QObject* parent = nullptr)
        : NotchWidget(parent)
        , m_id(std::move(id))
        , m_priority(priority)
        , m_group(group) {}

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
    void start() override {}
    void stop() override {}

    void setIcon(QString icon) {
        m_icon = std::move(icon);
        Q_EMIT iconChanged();
    }
    void setActive(bool active) {
        m_active = active;
        Q_EMIT isActiveChanged();
    }
    void setHasCompactContent(bool has) {
        m_hasCompactContent = has;
        Q_EMIT hasCompactContentChanged();
    }
    void setShowInCompactBar(bool show) {
        m_showInCompactBar = show;
        Q_EMIT showInCompactBarChanged();
    }
    void setBodies(QUrl compact, QUrl expanded) {
        m_compactBody = std::move(compact);
        m_expandedBody = std::move(expanded);
    }

private:
    QString m_id;
    int m_priority;
    WidgetGroup m_group;
    QString m_icon = QStringLiteral("calendar");
    bool m_active = true;
    bool m_hasCompactContent = false;
    bool m_showInCompactBar = true;
    QUrl m_compactBody;
    QUrl m_expandedBody;
};
