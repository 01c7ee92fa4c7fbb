// The SPRITE reader on arbitrary bytes, from memory and from a file. A
// refusal names a reason and a place inside the input and leaves the sprite
// as it was (LeakSanitizer sees anything it leaves behind); an acceptance
// holds exactly the bytes that were read: written out again they are the
// input up to where the frames end. Both entry points agree.
#include "sprite/Sprite.h"
#include "tests/support/SpriteBytes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_sprite_read: %s\n", what);
        std::abort();
    }
}

// One file in memory for the whole run, rewritten for every input: a file
// on disk would be flushed at every close after its truncation.
struct Scratch {
    int fd;
    std::string path;
};

const Scratch& TheScratch() {
    static const Scratch scratch = [] {
        const int fd = memfd_create("fuzz_sprite_read", 0);
        Check(fd >= 0, "cannot make a scratch file");
        return Scratch{fd, "/proc/self/fd/" + std::to_string(fd)};
    }();
    return scratch;
}

void WriteScratch(const uint8_t* bytes, size_t size) {
    const int fd = TheScratch().fd;
    Check(ftruncate(fd, 0) == 0 && pwrite(fd, bytes, size, 0) == static_cast<ssize_t>(size),
          "cannot write the scratch file");
}

uint32_t Le32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

Sprite Sentinel() {
    Sprite sprite;
    sprite.headerValue1 = 0xDEADBEEF;
    sprite.frameCount = 1;
    sprite.frames.emplace_back();
    sprite.frames[0].width = 77;
    return sprite;
}

bool IsSentinel(const Sprite& sprite) {
    return sprite.headerValue1 == 0xDEADBEEF && sprite.headerValue2 == 0 && sprite.frameCount == 1 &&
           sprite.frames.size() == 1 && sprite.frames[0].width == 77 && sprite.frames[0].pixelBlock.size == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    Sprite fromMemory = Sentinel();
    SpriteReadStatus memoryStatus;
    const bool accepted = ReadSpriteBytes(bytes, size, &fromMemory, &memoryStatus);

    WriteScratch(bytes, size);
    Sprite fromFile = Sentinel();
    SpriteReadStatus fileStatus;
    Check(ReadSpriteFile(TheScratch().path.c_str(), &fromFile, &fileStatus) == accepted, "file and memory disagree");
    Check(fileStatus.offset == memoryStatus.offset && fileStatus.size == size && memoryStatus.size == size,
          "file and memory stop at different places");

    if (!accepted) {
        Check(memoryStatus.failure != nullptr && fileStatus.failure != nullptr &&
                  std::strcmp(memoryStatus.failure, fileStatus.failure) == 0,
              "a refusal without the same reason");
        Check(memoryStatus.offset <= size, "a refusal placed outside the input");
        Check(IsSentinel(fromMemory) && IsSentinel(fromFile), "a refusal changed the sprite");
        return 0;
    }
    Check(memoryStatus.failure == nullptr && memoryStatus.offset >= 19 && memoryStatus.offset <= size,
          "an acceptance that ends outside the input");
    // The writer stores the number of frames held; the reader keeps the count as read.
    const int32_t count = static_cast<int32_t>(Le32(bytes + 15));
    Check(fromMemory.frameCount == count && fromMemory.frames.size() == static_cast<size_t>(count > 0 ? count : 0),
          "the frame count is not what the input says");
    std::vector<uint8_t> expected(bytes, bytes + memoryStatus.offset);
    for (int i = 0; i < 4; ++i) {
        expected[15 + i] = static_cast<uint8_t>(fromMemory.frames.size() >> (8 * i));
    }
    Check(SerializeSprite(fromMemory) == expected, "the sprite read does not hold the bytes read");
    Check(SerializeSprite(fromFile) == expected, "the sprite read from the file does not hold the bytes read");
    return 0;
}
