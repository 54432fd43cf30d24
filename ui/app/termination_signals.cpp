#include "ui/app/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace mirelda::ui {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int pipeFds[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    (void)!::write(pipeFds[1], &byte, 1);
    // A second one of the same kind is not asked twice: it ends the program.
    struct sigaction fallback
    {
    };
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signalNumber, &fallback, nullptr);
    errno = saved;
}

} // namespace

CTerminationSignals::CTerminationSignals(QObject* parent) : QObject(parent)
{
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CTerminationSignals::Read);
    struct sigaction action
    {
    };
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals)
        ::sigaction(s, &action, nullptr);
}

CTerminationSignals::~CTerminationSignals()
{
    if (!notifier_)
        return;
    struct sigaction fallback
    {
    };
    fallback.sa_handler = SIG_DFL;
    for (const int s : kSignals)
        ::sigaction(s, &fallback, nullptr);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void CTerminationSignals::Read()
{
    unsigned char byte = 0;
    while (::read(pipeFds[0], &byte, 1) == 1)
        emit terminationRequested(byte);
}

} // namespace mirelda::ui
