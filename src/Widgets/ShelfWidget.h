#pragma once

#include "Services/ShelfService.h"
#include "Widgets/NotchWidget.h"

#include <QVariantMap>

// The shelf tab: the files dropped on the notch beside the Desktop folder. Runs only while the panel is open.
class ShelfWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ service CONSTANT)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    ShelfWidget(QString shelfFolder, QString desktopFolder, QObject* parent = nullptr);

    QString id() const override { return QStringLiteral("shelf"); }
    QString name() const override;
    int priority() const override { return 7; }
    WidgetGroup group() const override { return WidgetGroup::Shelf; }
    QString icon() const override { return QStringLiteral("tray.full"); }
    QUrl expandedBody() const override {
        return QUrl(QStringLiteral("qrc:/Views/Shelf/ShelfExpandedView.qml"));
    }
    void start() override { m_service.start(); }
    void stop() override { m_service.stop(); }

    ShelfService* service() { return &m_service; }
    static QVariantMap texts();

    // Files dropped anywhere on the panel land on the shelf.
    Q_INVOKABLE void addUrls(const QVariantList& urls) { m_service.addUrls(urls); }

private:
    ShelfService m_service;
};
