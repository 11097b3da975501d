#pragma once

#include "Services/LocalServersService.h"
#include "Widgets/NotchWidget.h"

#include <QVariantList>

// The local servers tab (expanded only): owns the servers service and is the tab view's model, turning each
// server into the texts of its row.
class LocalServersWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QVariantList rows READ rows NOTIFY rowsChanged)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    explicit LocalServersWidget(std::shared_ptr<IProcessTable> processes = nullptr,
                                IScheduler* scheduler = nullptr, QObject* parent = nullptr);

    QString id() const override { return QStringLiteral("servers"); }
    QString name() const override { return m_name; }
    int priority() const override { return 6; }
    WidgetGroup group() const override { return WidgetGroup::Ai; }
    QString icon() const override { return QStringLiteral("server.rack"); }
    QUrl expandedBody() const override;
    void start() override { m_service->start(); }
    void stop() override { m_service->stop(); }

    LocalServersService* service() const { return m_service; }
    QVariantList rows() const;
    static QVariantMap texts();

    Q_INVOKABLE void refresh() { m_service->refresh(); }
    Q_INVOKABLE void stopServer(int index);
    Q_INVOKABLE void openInBrowser(int index) const;

    // The loopback address of a port, or an invalid URL when the port cannot be one.
    static QUrl addressFor(int port);

Q_SIGNALS:
    void rowsChanged();

private:
    LocalServersService* m_service;
    QString m_name;
};
