#pragma once

// Ties child processes to the game: while a guard lives, every child process
// forked (also by a library, such as the message box that is shown from a
// child process) is ended when the thread that forked it ends, and so when
// the game ends, however it ends.  Without it a game killed while its box
// waits for OK would leave the box on screen, held by an orphaned process.
//
// Guards nest.
class SysForkGuard
{
public:
    SysForkGuard();
    ~SysForkGuard();
    SysForkGuard(const SysForkGuard&) = delete;
    SysForkGuard& operator=(const SysForkGuard&) = delete;
};
