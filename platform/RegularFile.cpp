#include "platform/RegularFile.h"

#include <cerrno>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Null for a regular file, otherwise what it is.
const char* NotRegular(const struct stat& info) {
    if ((info.st_mode & S_IFMT) == S_IFREG) {
        return nullptr;
    }
    switch (info.st_mode & S_IFMT) {
    case S_IFDIR:
        return "a directory";
    case S_IFCHR:
        return "a device";
#ifndef _WIN32
    case S_IFIFO:
        return "a FIFO";
    case S_IFBLK:
        return "a device";
    case S_IFSOCK:
        return "a socket";
#endif
    default:
        return "not a regular file";
    }
}

} // namespace

#ifdef _WIN32

// The C runtime opens a directory for nobody and a device name (CON, NUL) as
// a character device; the type is checked before anything is read.
FILE* OpenRegularFile(const char* path, const char** notRegular) {
    *notRegular = nullptr;
    struct stat info;
    if (stat(path, &info) == 0 && (*notRegular = NotRegular(info)) != nullptr) {
        return nullptr;
    }
    FILE* file = std::fopen(path, "rb");
    if (file != nullptr && fstat(_fileno(file), &info) == 0 && (*notRegular = NotRegular(info)) != nullptr) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

#else

// The type is looked at first, so a device is not even opened; the open
// itself does not wait (O_NONBLOCK), and what was opened is checked again in
// case the name was replaced in between.
FILE* OpenRegularFile(const char* path, const char** notRegular) {
    *notRegular = nullptr;
    struct stat info;
    if (stat(path, &info) == 0 && (*notRegular = NotRegular(info)) != nullptr) {
        return nullptr;
    }
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    if (fstat(fd, &info) != 0 || (*notRegular = NotRegular(info)) != nullptr ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        const int error = errno;
        close(fd);
        errno = *notRegular != nullptr ? 0 : error;
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return file;
}

#endif
