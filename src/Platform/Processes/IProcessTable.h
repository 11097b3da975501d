#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the local-servers list needs of the process table. Every call may block and is made off the GUI
// thread; implementations keep no state, so calls may overlap.
class IProcessTable {
public:
    virtual ~IProcessTable() = default;
    // lsof's field output (-F pcn) of every TCP socket in the listening state, or none when lsof cannot run.
    virtual std::optional<QByteArray> listeningSockets() const = 0;
    // The working directory of one process, or none.
    virtual std::optional<QString> workingDirectory(qint32 pid) const = 0;
    // Sends SIGTERM to pid only while the process still carries that command name, as listeningSockets()
    // gives it; false when nothing was sent.
    virtual bool terminate(qint32 pid, const QString& commandName) const = 0;
};
