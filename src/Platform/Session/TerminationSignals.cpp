#include "Platform/Session/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t writeEnd = -1;
volatile sig_atomic_t loopRunning = 0;

void forwardToPipe(int signalNumber) {
    if (!loopRunning) { // nothing would read the pipe: end as if no handler were there
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (writeEnd >= 0) {
        const ssize_t written = ::write(writeEnd, &byte, 1);
        static_cast<void>(written); // a full pipe already holds a request to quit
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent) {
    if (writeEnd >= 0 || ::pipe2(m_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drainPipe);

    struct sigaction action {};
    action.sa_handler = forwardToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < handledSignals.size(); ++i)
        sigaction(handledSignals[i], &action, &m_previous[i]);
    QMetaObject::invokeMethod(
        this, [] { loopRunning = 1; }, Qt::QueuedConnection);
}

TerminationSignals::~TerminationSignals() {
    if (!isInstalled())
        return;
    for (std::size_t i = 0; i < handledSignals.size(); ++i)
        sigaction(handledSignals[i], &m_previous[i], nullptr);
    writeEnd = -1;
    loopRunning = 0;
    delete m_notifier;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void TerminationSignals::drainPipe() {
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1)
        Q_EMIT terminationRequested(byte);
}
