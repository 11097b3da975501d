#pragma once

#include "Services/AudioDeviceService.h"
#include "Widgets/NotchWidget.h"

#include <QVariantList>

#include <memory>

// The audio tab: inputs with the lock switch beside outputs with the default output's format. The widget is
// its view's model; each row arrives decided (symbol, current, locked, badge, tooltip).
class AudioWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QVariantList inputRows READ inputRows NOTIFY rowsChanged)
    Q_PROPERTY(QVariantList outputRows READ outputRows NOTIFY rowsChanged)
    Q_PROPERTY(bool isLocked READ isLocked NOTIFY rowsChanged)
    Q_PROPERTY(QString lockText READ lockText NOTIFY rowsChanged)
    Q_PROPERTY(QString lockToolTip READ lockToolTip NOTIFY rowsChanged)
    Q_PROPERTY(QString inputTitle READ inputTitle CONSTANT)
    Q_PROPERTY(QString outputTitle READ outputTitle CONSTANT)

public:
    explicit AudioWidget(std::unique_ptr<AudioInputService> service, QObject* parent = nullptr);

    QString id() const override { return QStringLiteral("audio"); }
    QString name() const override { return m_name; }
    int priority() const override { return 4; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override;
    QUrl expandedBody() const override;
    void start() override { m_service->start(); }
    void stop() override { m_service->stop(); }

    AudioInputService& service() { return *m_service; }

    QVariantList inputRows() const;
    QVariantList outputRows() const;
    bool isLocked() const { return m_service->lockedUID().has_value(); }
    QString lockText() const;
    QString lockToolTip() const;
    QString inputTitle() const;
    QString outputTitle() const;

    Q_INVOKABLE void selectInput(int index);
    Q_INVOKABLE void selectOutput(int index);
    Q_INVOKABLE void toggleLock() { m_service->toggleLock(); }

Q_SIGNALS:
    void rowsChanged();

private:
    QVariantMap row(const AudioDeviceInfo& device, bool isCurrent, bool isLocked, const QString& badge,
                    bool isWarning) const;
    void handleChange();

    std::unique_ptr<AudioInputService> m_service;
    QString m_name;
    QString m_icon;
};
