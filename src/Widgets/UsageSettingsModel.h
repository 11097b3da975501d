#pragma once

#include "Services/UsageService.h"

#include <QObject>
#include <QPointer>

// The settings window's Claude token row over the usage service: save a pasted token, remove it, refresh,
// and one status line that also reports a save that failed.
class UsageSettingsModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasManualToken READ hasManualToken NOTIFY changed)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)
    Q_PROPERTY(bool saveFailed READ saveFailed NOTIFY changed)
    Q_PROPERTY(QString saveLabel READ saveLabel CONSTANT)
    Q_PROPERTY(QString removeLabel READ removeLabel CONSTANT)
    Q_PROPERTY(QString refreshLabel READ refreshLabel CONSTANT)

public:
    // `usageService` is the settings window manager's usage service; without one every action does nothing.
    explicit UsageSettingsModel(QObject* usageService, QObject* parent = nullptr);

    bool hasManualToken() const { return m_service && m_service->hasManualToken(); }
    bool saveFailed() const { return m_saveError.has_value(); }
    QString statusText() const;
    static QString saveLabel();
    static QString removeLabel();
    static QString refreshLabel();

    // Saves the text trimmed of surrounding white space; an empty text is not saved.
    Q_INVOKABLE void save(const QString& pastedToken);
    Q_INVOKABLE void remove();
    Q_INVOKABLE void refresh();

Q_SIGNALS:
    void changed();
    // A pasted token is stored: the view lets go of it. A refused save keeps it, to try again.
    void saved();

private:
    void setSaveError(std::optional<KeychainError> error);

    QPointer<UsageService> m_service;
    std::optional<KeychainError> m_saveError;
};
