#pragma once
// A piece of a test run in a child process of its own: for what may hang or
// end the process that runs it (an open that waits for ever, a signal).

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace child_test
{
// The child's exit code (the result of `body`), or 128 + the signal that ended it.  A child still running after 10 s
// is ended by SIGALRM: a hanging call shows as 128 + SIGALRM instead of holding the test up.
inline int RunInChild(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0)
    {
        alarm(10);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
}  // namespace child_test
