#pragma once

#include "Services/CaffeinateService.h"
#include "Services/SystemMonitorService.h"
#include "Widgets/NotchWidget.h"

#include <QPointer>
#include <QVariantMap>

// The system tab: processor, memory, cache and disk figures (the first two also beside the notch), the
// clipboard history, and the keep-awake and keyboard-cleaning switches.
class SystemWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ service CONSTANT)
    Q_PROPERTY(CaffeinateService* caffeinateService READ caffeinateService WRITE setCaffeinateService NOTIFY
                   caffeinateServiceChanged)
    Q_PROPERTY(QString keepAwakeStatus READ keepAwakeStatus NOTIFY keepAwakeStatusChanged)
    Q_PROPERTY(bool isKeyboardCleaning READ isKeyboardCleaning NOTIFY isKeyboardCleaningChanged)
    Q_PROPERTY(QString machineName READ machineName CONSTANT)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    explicit SystemWidget(SystemMonitorService::Dependencies dependencies, QObject* parent = nullptr);

    QString id() const override { return QStringLiteral("system"); }
    QString name() const override;
    int priority() const override { return 2; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override { return QStringLiteral("cpu"); }
    bool showInCompactBar() const override { return true; }
    QUrl compactBody() const override {
        return QUrl(QStringLiteral("qrc:/Views/System/SystemCompactView.qml"));
    }
    QUrl expandedBody() const override {
        return QUrl(QStringLiteral("qrc:/Views/System/SystemExpandedView.qml"));
    }
    void start() override { m_service.start(); }
    void stop() override { m_service.stop(); }

    SystemMonitorService* service() { return &m_service; }
    CaffeinateService* caffeinateService() const { return m_caffeinate; }
    void setCaffeinateService(CaffeinateService* service);

    // "Desligado", "Ativo" or "Ativo · 25 min restantes"; empty without a keep-awake service.
    QString keepAwakeStatus() const;
    bool isKeyboardCleaning() const { return m_keyboardCleaning; }
    static QString machineName();
    static QVariantMap texts();

    Q_INVOKABLE void setKeepAwake(bool on);
    // Locks the keyboard for cleaning; the switch goes off again when the user unlocks it.
    Q_INVOKABLE void setKeyboardCleaning(bool on);

Q_SIGNALS:
    void caffeinateServiceChanged();
    void keepAwakeStatusChanged();
    void isKeyboardCleaningChanged();

private:
    void setCleaningFlag(bool on);

    SystemMonitorService m_service;
    QPointer<CaffeinateService> m_caffeinate;
    bool m_keyboardCleaning = false;
};
