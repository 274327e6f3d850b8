// The executable's entry point: the arguments become one command line, as the
// entry function reads it, and its result is the exit code.

#include "core/MAIN.h"
#include "core/C_String.h"

int main(int argc, char** argv)
{
    CString commandLine;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(commandLine);
}
