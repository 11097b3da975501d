#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// The in-process notifications by which the settings window tells the services that a preference or a token
// changed. None carries a payload: observers re-read the preferences or the keychain themselves.
namespace Notifications {
inline const QString calendarFilterChanged = QStringLiteral("tavimor.calendarFilterChanged");
inline const QString todoistTokenSaved = QStringLiteral("tavimor.todoistTokenSaved");
inline const QString notesEnabledChanged = QStringLiteral("tavimor.notesEnabledChanged");
inline const QString breakSettingsChanged = QStringLiteral("tavimor.breakSettingsChanged");
inline const QString breakPreviewRequested = QStringLiteral("tavimor.breakPreviewRequested");
inline const QString postureSettingsChanged = QStringLiteral("tavimor.postureSettingsChanged");
inline const QString posturePreviewRequested = QStringLiteral("tavimor.posturePreviewRequested");
inline const QString blinkSettingsChanged = QStringLiteral("tavimor.blinkSettingsChanged");
inline const QString blinkPreviewRequested = QStringLiteral("tavimor.blinkPreviewRequested");
} // namespace Notifications

// Delivers named notifications to the observers registered at the moment of posting, always on the thread of
// the centre (the main thread): at once when posted there, queued when posted from another thread. A
// notification that nobody observes is dropped, never kept for a later observer. An observer is dropped when
// its context object is destroyed, or removed explicitly by its token.
class NotificationCenter final : public QObject {
    Q_OBJECT
public:
    using Token = quint64;
    using Handler = std::function<void()>;

    explicit NotificationCenter(QObject* parent = nullptr);

    static NotificationCenter& shared();

    // Thread-safe.
    Token addObserver(const QString& name, QObject* context, Handler handler);
    void removeObserver(Token token);
    Q_INVOKABLE void post(const QString& name);

private:
    struct Observer {
        QString name;
        QPointer<QObject> context;
        bool hasContext = false;
        Handler handler;
    };

    QList<Token> observersOf(const QString& name) const;
    void deliver(const QList<Token>& tokens);

    mutable QMutex m_mutex;
    QHash<Token, Observer> m_observers;
    Token m_nextToken = 1;
};
