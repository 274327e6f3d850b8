#include "platform/SysCloseSignals.h"

#include <csignal>

namespace
{
volatile sig_atomic_t closeRequested = 0;

void NoteCloseRequest(int)
{
    closeRequested = 1;
}

void SetAction(int signalNumber, void (*handler)(int), int flags)
{
    struct sigaction action{};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signalNumber, &action, nullptr);
}

void HandleOnce(int signalNumber)
{
    // SA_RESETHAND: the handler runs once and the next signal takes the
    // default action, until the pump takes the request and arms it again.
    SetAction(signalNumber, NoteCloseRequest, SA_RESETHAND | SA_RESTART);
}

void ArmBoth()
{
    HandleOnce(SIGINT);
    HandleOnce(SIGTERM);
}
}  // namespace

void SysCloseSignals::Install()
{
    ArmBoth();
    // The write then fails with EPIPE, which every writer already takes.
    SetAction(SIGPIPE, SIG_IGN, 0);
}

bool SysCloseSignals::TakeRequest()
{
    if (!closeRequested)
        return false;
    closeRequested = 0;
    ArmBoth();
    return true;
}

void SysCloseSignals::EndProcessOnSignal()
{
    SetAction(SIGINT, SIG_DFL, 0);
    SetAction(SIGTERM, SIG_DFL, 0);
}
