// Opening an input file without ever waiting on it.
#pragma once

#include <cstdio>

// Opens path for binary reading when it is a regular file. Anything else (a
// FIFO, which would wait for a writer, a device, a socket, a directory) is
// refused at once, before a byte is read: null with *notRegular naming what
// it is ("a FIFO"). When the file cannot be opened at all: null, *notRegular
// null and errno set.
FILE* OpenRegularFile(const char* path, const char** notRegular);
