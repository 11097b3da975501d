#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The login session this process runs in, as logind sees it. The state is cached and kept current by the
// session's change signals, so reading it costs nothing. Until the session is found (or when logind cannot
// be reached) it is unknown, and callers treat the user as present.
class ILogindSession : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // locked: the screen is locked; otherwise the reason it is not.
    using LockDone = std::function<void(bool locked, const QString& error)>;

    virtual bool isKnown() const = 0;
    virtual bool isActive() const = 0; // the session is on the console (in the foreground of its seat)
    virtual bool isLocked() const = 0; // the session's LockedHint
    // Asks for the session's screen to be locked; done runs on the main thread unless context is gone.
    virtual void lock(QObject* context, LockDone done) = 0;

Q_SIGNALS:
    void stateChanged();
};
