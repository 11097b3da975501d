#pragma once

#include "Services/UsageService.h"
#include "Widgets/NotchWidget.h"
#include "Widgets/UsageViewModel.h"

// The usage quota as a tab of the panel and an item of the compact bar. Owns its usage service.
class UsageWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ serviceObject CONSTANT)

public:
    explicit UsageWidget(UsageService::Parts parts = {}, QObject* parent = nullptr);

    QString id() const override { return QStringLiteral("usage"); }
    QString name() const override;
    int priority() const override { return 4; }
    WidgetGroup group() const override { return WidgetGroup::Ai; }
    QString icon() const override { return QStringLiteral("sparkles"); }
    bool showInCompactBar() const override { return true; }
    QUrl compactBody() const override {
        return QUrl(QStringLiteral("qrc:/Views/Usage/UsageCompactView.qml"));
    }
    QUrl expandedBody() const override {
        return QUrl(QStringLiteral("qrc:/Views/Usage/UsageExpandedView.qml"));
    }
    QObject* viewModel() override { return &m_viewModel; }
    void start() override { m_service.start(); }
    void stop() override { m_service.stop(); }

    UsageService& service() { return m_service; }

private:
    QObject* serviceObject() { return &m_service; }

    UsageService m_service;
    UsageViewModel m_viewModel;
};
