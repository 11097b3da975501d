#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, the end of the session) into a signal on the main loop, so
// the application quits through its event loop and runs its shut-down sequence instead of dying on the spot.
// The handler only writes the signal number to a pipe; the main loop reads it. Until the main loop has run,
// nothing would read it, so a signal then ends the process as it would without a handler (a start stuck
// before its loop still ends). One object at a time; destroying it restores the previous handlers.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    static constexpr std::array<int, 3> handledSignals{SIGTERM, SIGINT, SIGHUP};

    void drainPipe();

    std::array<int, 2> m_pipe{-1, -1};
    std::array<struct sigaction, handledSignals.size()> m_previous{};
    QSocketNotifier* m_notifier = nullptr;
};
