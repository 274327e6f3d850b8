#include "platform/SysCloseSignals.h"

#include <csignal>

namespace
{
volatile sig_atomic_t closeRequested = 0;

void NoteCloseRequest(int)
{
    closeRequested = 1;
}

void HandleOnce(int signalNumber)
{
    // SA_RESETHAND: the handler runs once and the next signal takes the
    // default action, until the pump takes the request and arms it again.
    struct sigaction action{};
    action.sa_handler = NoteCloseRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

void EndOnSignal(int signalNumber)
{
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
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
    EndOnSignal(SIGINT);
    EndOnSignal(SIGTERM);
}
