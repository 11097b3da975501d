#pragma once

#include "Foundation/NotificationCenter.h"
#include "Services/NotesService.h"
#include "Widgets/NotchWidget.h"

#include <QVariantMap>

#include <optional>

class IPreferences;

// The notes tab: quick capture into the inbox note and the recent notes. Hidden until "tavimor.notesEnabled"
// is on; while started it follows the settings' notes notification.
class NotesWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ service CONSTANT)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    NotesWidget(IPreferences& preferences, QString notesFolder, QObject* parent = nullptr);
    ~NotesWidget() override;

    QString id() const override { return QStringLiteral("notes"); }
    QString name() const override;
    int priority() const override { return 9; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override { return QStringLiteral("note.text"); }
    bool isActive() const override { return m_enabled; }
    QUrl expandedBody() const override {
        return QUrl(QStringLiteral("qrc:/Views/Notes/NotesExpandedView.qml"));
    }
    void start() override;
    void stop() override;

    NotesService* service() { return &m_service; }
    static QVariantMap texts();

private:
    bool readEnabled() const;
    void applyEnabled();

    IPreferences& m_preferences;
    NotesService m_service;
    bool m_enabled;
    std::optional<NotificationCenter::Token> m_observer;
};
