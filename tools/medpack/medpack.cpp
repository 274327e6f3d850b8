// medpack: packs, lists and extracts the game's packed data files.

#include <cstdio>
#include <cstring>

#include "MedCommands.h"

namespace
{
constexpr int ExitFailure = 1;

int Usage()
{
    std::fprintf(stderr,
                 "usage: medpack pack OUT.med DIR\n"
                 "       medpack list FILE.med\n"
                 "       medpack cat FILE.med NAME\n");
    return ExitFailure;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "pack") == 0)
        return PackFolder(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return ListDataFile(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "cat") == 0)
        return CatEntry(argv[2], argv[3]);
    return Usage();
}
