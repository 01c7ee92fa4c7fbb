#include "tools/common/OutputFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool OpenOutputFile(OutputFile& out, const char* path, std::string& error) {
    out.path = path;
    out.tempPath = out.path + ".tmp-XXXXXX";
    out.file = nullptr;
    int fd = mkstemp(&out.tempPath[0]);
    if (fd < 0) {
        error = std::string("cannot create ") + out.tempPath + ": " + std::strerror(errno);
        out.tempPath.clear();
        return false;
    }
    // mkstemp makes the file private (0600); give it the permissions an
    // ordinary new file would have.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    out.file = fdopen(fd, "wb");
    if (!out.file) {
        error = std::string("cannot open ") + out.tempPath + ": " + std::strerror(errno);
        close(fd);
        unlink(out.tempPath.c_str());
        out.tempPath.clear();
        return false;
    }
    return true;
}

bool CommitOutputFile(OutputFile& out, std::string& error) {
    if (!out.file) {
        return false;
    }
    bool written = !ferror(out.file);
    int savedErrno = errno;
    if (fclose(out.file) != 0) {
        written = false;
        savedErrno = errno;
    }
    out.file = nullptr;
    if (!written) {
        error = std::string("cannot write ") + out.tempPath + ": " + std::strerror(savedErrno);
        unlink(out.tempPath.c_str());
        return false;
    }
    if (std::rename(out.tempPath.c_str(), out.path.c_str()) != 0) {
        error = std::string("cannot rename ") + out.tempPath + " to " + out.path + ": " + std::strerror(errno);
        unlink(out.tempPath.c_str());
        return false;
    }
    return true;
}

void DiscardOutputFile(OutputFile& out) {
    if (out.file) {
        fclose(out.file);
        out.file = nullptr;
    }
    if (!out.tempPath.empty()) {
        unlink(out.tempPath.c_str());
    }
}

bool WriteOutputAt(OutputFile& out, uint64_t offset, const void* data, size_t size, std::string& error) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = pwrite(fileno(out.file), bytes, size, off_t(offset));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = std::string("cannot write ") + out.tempPath + ": " + std::strerror(written < 0 ? errno : ENOSPC);
            out.writeFailed = true;
            return false;
        }
        bytes += written;
        size -= size_t(written);
        offset += uint64_t(written);
    }
    return true;
}

bool ReadOutputAt(OutputFile& out, uint64_t offset, void* data, size_t size, std::string& error) {
    auto* bytes = static_cast<uint8_t*>(data);
    std::memset(bytes, 0, size);
    while (size > 0) {
        const ssize_t got = pread(fileno(out.file), bytes, size, off_t(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = std::string("cannot read back ") + out.tempPath + ": " + std::strerror(errno);
            out.writeFailed = true;
            return false;
        }
        if (got == 0) {
            break; // not written yet
        }
        bytes += got;
        size -= size_t(got);
        offset += uint64_t(got);
    }
    return true;
}

bool OutputIsInput(const std::string& output, const std::vector<std::string>& inputs, std::string& reason) {
    struct stat outputInfo;
    if (stat(output.c_str(), &outputInfo) != 0) {
        return false;
    }
    for (const std::string& input : inputs) {
        struct stat inputInfo;
        if (stat(input.c_str(), &inputInfo) == 0 && inputInfo.st_dev == outputInfo.st_dev &&
            inputInfo.st_ino == outputInfo.st_ino) {
            reason = "is the same file as the input " + input + "; give another output file";
            return true;
        }
    }
    return false;
}
