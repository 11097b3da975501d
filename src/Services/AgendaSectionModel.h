#pragma once

#include "Foundation/NotificationCenter.h"
#include "Platform/Calendar/ICalendarStore.h"
#include "Platform/Preferences/IPreferences.h"

#include <QObject>
#include <QSet>
#include <QVariantList>

// The settings window's agenda section: which calendars count for the day agenda, and the task service's
// token. The section keeps its own access to the calendar store for the list; ticking a calendar saves the
// selection at once and tells the calendar service. The token is written to and removed from the keychain
// without blocking; a failed save is shown, never lost silently.
class AgendaSectionModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList calendars READ calendars NOTIFY calendarsChanged)
    Q_PROPERTY(QString calendarError READ calendarError NOTIFY calendarsChanged)
    Q_PROPERTY(bool hasToken READ hasToken NOTIFY tokenStateChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY tokenStateChanged)
    Q_PROPERTY(QString tokenStatus READ tokenStatus NOTIFY tokenStateChanged)
    Q_PROPERTY(bool tokenFailed READ tokenFailed NOTIFY tokenStateChanged)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    AgendaSectionModel(ICalendarStore& store, IPreferences& preferences,
                       NotificationCenter& notifications = NotificationCenter::shared(),
                       QObject* parent = nullptr);

    // Each entry: id, title, color, selected. Sorted by title.
    QVariantList calendars() const;
    QString calendarError() const { return m_calendarError; }
    bool hasToken() const { return m_hasToken; }
    bool busy() const { return m_busy; }
    QString tokenStatus() const { return m_tokenStatus; }
    bool tokenFailed() const { return m_tokenFailed; }
    QVariantMap texts() const;

    Q_INVOKABLE void setCalendarSelected(const QString& id, bool selected);
    Q_INVOKABLE void saveCalendarSelection();
    // Saves the token (surrounding white space trimmed); an empty text removes it.
    Q_INVOKABLE void saveToken(const QString& token);
    Q_INVOKABLE void removeToken();

Q_SIGNALS:
    void calendarsChanged();
    void tokenStateChanged();

private:
    void setTokenState(bool hasToken, bool busy, const QString& status, bool failed);

    ICalendarStore& m_store;
    IPreferences& m_preferences;
    NotificationCenter& m_notifications;
    QSet<QString> m_selected;
    QString m_calendarError;
    bool m_hasToken = false;
    bool m_busy = false;
    QString m_tokenStatus;
    bool m_tokenFailed = false;
};
