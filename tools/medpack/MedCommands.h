#pragma once
// The three commands of medpack.  Each returns the process exit code (0 done,
// 1 failed) and writes its one error message to standard error.

// Packs every regular file below `folder` into the data file `output`.
int PackFolder(const char* output, const char* folder);
// Prints "OFFSET SIZE NAME" per directory entry, in directory order.
int ListDataFile(const char* dataFile);
// Writes to standard output the body the game opens for `name`.
int CatEntry(const char* dataFile, const char* name);
