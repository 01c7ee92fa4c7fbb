#include "tools/spritetool/SpriteInfo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

uint32_t Read32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

std::string Printable(const uint8_t* bytes, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] < 0x7F && bytes[i] != '"' && bytes[i] != '\\') {
            text += char(bytes[i]);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", bytes[i]);
            text += escaped;
        }
    }
    return text;
}

// Fills scan.problem when fewer than count bytes remain at position.
bool Need(SpriteScan& scan, uint64_t position, uint64_t count, const std::string& what) {
    if (scan.fileSize - position >= count) {
        return true;
    }
    scan.problem = "file ends early or a block is larger than the file: " + what + " needs " + std::to_string(count) +
                   " bytes at offset " + std::to_string(position) + ", only " +
                   std::to_string(scan.fileSize - position) + " remain";
    return false;
}

bool ScanOpenFile(FILE* file, SpriteScan& scan) {
    if (fseeko(file, 0, SEEK_END) != 0 || ftello(file) < 0) {
        scan.problem = std::string("cannot read: ") + std::strerror(errno);
        return false;
    }
    scan.fileSize = uint64_t(ftello(file));
    fseeko(file, 0, SEEK_SET);

    static const uint8_t kMagic[7] = {'S', 'P', 'R', 'I', 'T', 'E', 0};
    uint8_t header[19];
    size_t got = std::fread(header, 1, sizeof header, file);
    size_t magicBytes = got < sizeof kMagic ? got : sizeof kMagic;
    if (std::memcmp(header, kMagic, magicBytes) != 0) {
        scan.problem = "not a SPRITE file (it starts with \"" + Printable(header, magicBytes) +
                       "\", not \"SPRITE\" and a zero byte)";
        return false;
    }
    if (!Need(scan, 0, sizeof kMagic, "the magic") || !Need(scan, 7, 12, "the file header")) {
        return false;
    }

    int32_t frameCount = int32_t(Read32(header + 15));
    uint64_t position = sizeof header;
    for (int32_t i = 0; i < frameCount; ++i) {
        std::string frameName = "frame " + std::to_string(i);
        if (!Need(scan, position, 24, frameName + "'s header")) {
            return false;
        }
        position += 24;
        static const char* const kBlockNames[3] = {"pixel", "alpha", "extra"};
        for (const char* blockName : kBlockNames) {
            std::string what = frameName + "'s " + blockName + " block";
            uint8_t sizeBytes[4];
            if (!Need(scan, position, 4, what + " size") || fseeko(file, off_t(position), SEEK_SET) != 0 ||
                std::fread(sizeBytes, 1, 4, file) != 4) {
                if (scan.problem.empty()) {
                    scan.problem = std::string("cannot read: ") + std::strerror(errno);
                }
                return false;
            }
            position += 4;
            uint32_t size = Read32(sizeBytes);
            if (!Need(scan, position, size, what + " of " + std::to_string(size) + " bytes")) {
                return false;
            }
            position += size;
        }
    }
    scan.endOfFrames = position;
    return true;
}

} // namespace

SpriteScan ScanSpriteFile(const char* path) {
    SpriteScan scan;
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        scan.problem = std::string("cannot open: ") + std::strerror(errno);
        return scan;
    }
    scan.readable = ScanOpenFile(file, scan);
    std::fclose(file);
    return scan;
}

bool LoadSpriteFile(const char* path, Sprite& sprite, std::string& error) {
    // The loader reports a wrong magic on standard output; point that at
    // /dev/null for the call so that our output stays ours.
    std::fflush(stdout);
    int savedStdout = dup(STDOUT_FILENO);
    int devNull = open("/dev/null", O_WRONLY);
    if (savedStdout >= 0 && devNull >= 0) {
        dup2(devNull, STDOUT_FILENO);
    }
    if (devNull >= 0) {
        close(devNull);
    }

    SpriteSet set;
    bool loaded = set.Load(path);

    std::fflush(stdout);
    if (savedStdout >= 0) {
        dup2(savedStdout, STDOUT_FILENO);
        close(savedStdout);
    }

    if (loaded && !set.sprites.empty()) {
        sprite = std::move(set.sprites.back());
        return true;
    }
    SpriteScan scan = ScanSpriteFile(path);
    error = scan.readable ? "the sprite loader does not accept it" : scan.problem;
    return false;
}

namespace {

std::string Coordinate(int16_t value) {
    return value == -1 ? "none" : std::to_string(value);
}

} // namespace

void PrintSpriteInfo(FILE* out, const char* path, const Sprite& sprite, const SpriteScan& scan) {
    std::fprintf(out, "file: %s (%llu bytes)\n", path, (unsigned long long)scan.fileSize);
    std::fprintf(out, "header values: 0x%08X 0x%08X\n", unsigned(sprite.headerValue1), unsigned(sprite.headerValue2));
    std::fprintf(out, "frame count: %d\n", int(sprite.frameCount));
    for (size_t i = 0; i < sprite.frames.size(); ++i) {
        const SpriteFrame& frame = sprite.frames[i];
        std::string fixed = frame.fixedX == -1 && frame.fixedY == -1
                                ? "none"
                                : Coordinate(frame.fixedX) + "," + Coordinate(frame.fixedY);
        std::fprintf(out, "frame %zu: %dx%d, colour key 0x%04X, hotspot %d,%d, offset %d,%d, fixed %s\n", i,
                     frame.width, frame.height, unsigned(frame.colorKey), frame.hotspotX, frame.hotspotY, frame.offsetX,
                     frame.offsetY, fixed.c_str());
        std::fprintf(out, "  blocks: pixel %u bytes, alpha %u bytes, extra %u bytes\n", unsigned(frame.pixelBlock.size),
                     unsigned(frame.alphaBlock.size), unsigned(frame.extraBlock.size));

        uint64_t count = frame.width > 0 && frame.height > 0 ? uint64_t(frame.width) * uint64_t(frame.height) : 0;
        if (frame.pixelBlock.size != count * 2) {
            std::fprintf(out, "  warning: pixel block is %u bytes, %dx%d needs %llu\n", unsigned(frame.pixelBlock.size),
                         frame.width, frame.height, (unsigned long long)(count * 2));
        }
        if (frame.alphaBlock.size != 0 && frame.alphaBlock.size != count) {
            std::fprintf(out, "  warning: alpha block is %u bytes, %dx%d needs 0 or %llu\n",
                         unsigned(frame.alphaBlock.size), frame.width, frame.height, (unsigned long long)count);
        }
    }
    if (scan.readable && scan.endOfFrames < scan.fileSize) {
        std::fprintf(out, "%llu bytes after the last frame (not read)\n",
                     (unsigned long long)(scan.fileSize - scan.endOfFrames));
    }
}
