#pragma once

#include "Platform/Preferences/IPreferences.h"

#include <QHash>

class InMemoryPreferences final : public IPreferences {
public:
    using IPreferences::IPreferences;

    bool contains(const QString& key) const override { return values.contains(key); }
    QVariant value(const QString& key) const override { return values.value(key); }
    void setValue(const QString& key, const QVariant& value) override {
        values.insert(key, value);
        Q_EMIT changed(key);
    }
    void remove(const QString& key) override {
        if (values.remove(key) > 0)
            Q_EMIT changed(key);
    }

private:
    QHash<QString, QVariant> values;
};
