#pragma once

#include "Platform/Processes/IProcessTable.h"

#include <QStringList>

// lsof from a fixed list of system folders (never PATH) with its arguments as an argv list; working folders
// from /proc; signals through a pidfd after checking the command name lsof gives, so a reused pid is never
// hit.
class LinuxProcessTable final : public IProcessTable {
public:
    std::optional<QByteArray> listeningSockets() const override;
    std::optional<QString> workingDirectory(qint32 pid) const override;
    bool terminate(qint32 pid, const QString& commandName) const override;

    static QString lsofPath();
    static std::optional<QByteArray> runLsof(const QStringList& arguments);
};
