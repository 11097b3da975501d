#pragma once

#include <QString>
#include <QStringList>

// Records calls across several fakes, so a test can check their order.
struct CallLog {
    QStringList entries;

    void add(const QString& entry) { entries.append(entry); }
    void clear() { entries.clear(); }
};
