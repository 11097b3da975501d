#pragma once

#include "Services/CaffeinateService.h"
#include "Widgets/NotchWidget.h"

#include <QVariantList>

// The keep-awake tab: owns the one keep-awake service (reach it with service(), e.g. to hand it to the system
// widget) and is the tab view's model: it decides the texts, the icon and the duration boxes.
class CaffeinateWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(CaffeinateService* service READ service CONSTANT)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(QString lidToolTip READ lidToolTip NOTIFY lidToolTipChanged)
    Q_PROPERTY(QVariantList durations READ durations CONSTANT)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    explicit CaffeinateWidget(DegradedReporter reportDegraded = {}, QObject* parent = nullptr);
    CaffeinateWidget(CaffeinateLocks locks, QObject* parent);

    QString id() const override { return QStringLiteral("caffeinate"); }
    QString name() const override { return m_name; }
    int priority() const override { return 8; }
    WidgetGroup group() const override { return WidgetGroup::Caffeinate; }
    QString icon() const override;
    QUrl expandedBody() const override;
    void start() override {}
    void stop() override;

    CaffeinateService* service() const { return m_service; }
    QString statusText() const;
    QString lidToolTip() const;
    QVariantList durations() const { return m_durations; }
    QVariantMap texts() const;

    // Whole seconds as a short duration: 0min … 59min, 1h, 1h1min; seconds under a minute are dropped.
    static QString formatDuration(qint64 seconds);

Q_SIGNALS:
    void statusTextChanged();
    void lidToolTipChanged();

private:
    void wireService();

    CaffeinateService* m_service;
    QString m_name;
    QVariantList m_durations;
};
