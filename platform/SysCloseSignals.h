#pragma once

// SIGINT and SIGTERM as a close request.
//
// Once installed, either signal only notes that the user asked the game to
// close; the message pump takes the note and delivers it as the window's close
// message, so the game shuts down in order and writes its configuration back.
// While a note waits untaken, a second signal ends the process the default
// way, so a game that no longer pumps can still be stopped.
//
// A write to a pipe whose reader has gone (standard error piped to a program
// that ended) fails instead of ending the process, so that such a line at
// exit cannot cost the configuration written after it.
class SysCloseSignals
{
public:
    // Installs the handlers (again, if something else has replaced them) and
    // ignores SIGPIPE.
    static void Install();

    // True once for each signal received since the last call.
    static bool TakeRequest();

    // From now on either signal ends the process at once, the default way.
    // For a game that is ending anyway and waits only for its last box to be
    // closed: a request noted then would never be taken.
    static void EndProcessOnSignal();
};
