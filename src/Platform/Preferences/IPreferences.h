#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

// The user's preferences: one store of typed values (bool, integer, double, text, list of texts, bytes)
// under "tavimor."-prefixed keys. Every write goes through it, and every change is signalled per key so
// that views bound to a key re-render.
class IPreferences : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool contains(const QString& key) const = 0;
    virtual QVariant value(const QString& key) const = 0; // invalid when absent
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;

Q_SIGNALS:
    void changed(const QString& key);
};
