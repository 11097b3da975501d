#pragma once

#include "Services/BreakService.h"
#include "Widgets/NotchWidget.h"

#include <memory>

class IPreferences;
class NotificationCenter;

// What the break tab shows of the break service: the countdown to the next break or of the break on screen,
// the configured lengths as they run, and which actions apply now.
class BreakTabModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool active READ active NOTIFY changed)
    Q_PROPERTY(QString stateLabel READ stateLabel NOTIFY changed)
    Q_PROPERTY(QString bigValue READ bigValue NOTIFY bigValueChanged)
    Q_PROPERTY(QString workInfo READ workInfo NOTIFY changed)
    Q_PROPERTY(QString durationInfo READ durationInfo NOTIFY changed)
    Q_PROPERTY(bool showsSkip READ showsSkip NOTIFY changed)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString configureToolTip READ configureToolTip CONSTANT)
    Q_PROPERTY(QString skipLabel READ skipLabel CONSTANT)
    Q_PROPERTY(QString lockLabel READ lockLabel CONSTANT)
    Q_PROPERTY(QString takeNowLabel READ takeNowLabel CONSTANT)
    Q_PROPERTY(QString footer READ footer CONSTANT)

public:
    BreakTabModel(BreakService& service, IPreferences& preferences, QObject* parent = nullptr);

    bool active() const { return m_service.phase() == BreakService::Phase::active; }
    QString stateLabel() const;
    QString bigValue() const;
    QString workInfo() const;
    QString durationInfo() const;
    bool showsSkip() const { return active() && m_service.canSkip(); }
    QString title() const;
    QString configureToolTip() const;
    QString skipLabel() const;
    QString lockLabel() const;
    QString takeNowLabel() const;
    QString footer() const;

    Q_INVOKABLE void skip() { m_service.skip(); }
    Q_INVOKABLE void lockScreen() { m_service.lockScreen(); }
    Q_INVOKABLE void takeBreakNow() { m_service.takeBreakNow(); }
    Q_INVOKABLE void openSettings();

Q_SIGNALS:
    void changed();
    void bigValueChanged(); // also every second of a break

private:
    BreakService& m_service;
    IPreferences& m_preferences;
};

// The breaks tab: owns the break service, starts and stops it, and is listed only while breaks are on.
class BreakWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ service CONSTANT)
public:
    BreakWidget(IPreferences& preferences, NotificationCenter& notifications,
                std::unique_ptr<BreakService> service, QObject* parent = nullptr);
    ~BreakWidget() override;

    QString id() const override { return QStringLiteral("break"); }
    QString name() const override { return m_name; }
    int priority() const override { return 10; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override { return QStringLiteral("heart"); }
    bool isActive() const override { return m_isEnabled; }
    QUrl expandedBody() const override;
    QObject* viewModel() override { return &m_tabModel; }
    void start() override;
    void stop() override;

    BreakService* service() const { return m_service.get(); }

private:
    void readEnabled();

    IPreferences& m_preferences;
    NotificationCenter& m_notifications;
    std::unique_ptr<BreakService> m_service;
    BreakTabModel m_tabModel;
    QString m_name;
    bool m_isEnabled = false;
    quint64 m_enabledObserver = 0;
};
