#include "platform/SysForkGuard.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace
{
std::atomic<int> g_Guards{0};
std::atomic<pid_t> g_Parent{0};
std::once_flag g_HandlerRegistered;

// Runs in every new child, right after the fork; only system calls here.
void TieChildToParent()
{
    if (g_Guards.load() == 0)
        return;
    // SIGKILL: the child has the game's close-signal handlers, which would
    // only note a SIGTERM.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The game may have ended before the tie was made.
    if (getppid() != g_Parent.load())
        _exit(0);
}
}  // namespace

SysForkGuard::SysForkGuard()
{
    std::call_once(g_HandlerRegistered, [] { pthread_atfork(nullptr, nullptr, TieChildToParent); });
    g_Parent = getpid();
    ++g_Guards;
}

SysForkGuard::~SysForkGuard()
{
    --g_Guards;
}
