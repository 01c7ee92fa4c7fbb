// Helpers shared by the unit tests: temporary directories, SPRITE files built
// byte by byte, small 16-bit surfaces with direct pixel access, and scoped
// settings of the display device and the headless screen.
#pragma once

#include "platform/Platform.h"
#include "platform/portable/headless/Headless.h"
#include "sprite/Sprite.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A fresh directory, removed with its contents at the end of the scope.
struct TempDir {
    std::string path;

    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return path + "/" + name; }
};

// The working directory is dir for the scope (for "ErrLog.txt" and the like).
struct ScopedWorkingDir {
    std::string previous;

    explicit ScopedWorkingDir(const std::string& dir);
    ~ScopedWorkingDir();
    ScopedWorkingDir(const ScopedWorkingDir&) = delete;
    ScopedWorkingDir& operator=(const ScopedWorkingDir&) = delete;
};

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The whole file; empty when it does not exist.
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);

// The error log's name, in the working directory.
constexpr char kErrorLog[] = "ErrLog.txt";

// ---------------------------------------------------------------- SPRITE files

void PutLe16(std::vector<uint8_t>* out, uint16_t value);
void PutLe32(std::vector<uint8_t>* out, uint32_t value);

// One frame record as a test writes it. pixels are RGB565 words; alpha and
// extra go in as they are (empty = a block of size 0).
struct TestFrame : SpriteFrameHeader {
    std::vector<uint16_t> pixels;
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> extra;
};

void AppendFrameRecord(std::vector<uint8_t>* out, const TestFrame& frame);

// A whole file: the magic, the three header values and the frame records
// (frameCount is written as given, whatever number of frames follows).
std::vector<uint8_t> SpriteFileBytes(uint32_t headerValue1, uint32_t headerValue2, int32_t frameCount,
                                     const std::vector<TestFrame>& frames);

// In-memory records straight from a TestFrame, for drawing without a file.
SpriteFrame MakeSpriteFrame(const TestFrame& frame);
Sprite MakeSprite(const TestFrame& frame);

// ---------------------------------------------------------------- surfaces

// A window of a class of the tests' own, for display set-ups outside WinMain.
HWND TestWindow();

// A 16-bit system-memory surface of the portable DirectDraw. Its pitch is
// padded past width * 2, so code that ignores the pitch shows up.
struct TestSurface {
    LPDIRECTDRAW directDraw = nullptr;
    LPDIRECTDRAWSURFACE7 surface = nullptr;
    uint8_t* pixels = nullptr;
    LONG pitch = 0;
    int width = 0;
    int height = 0;

    TestSurface(int width, int height);
    ~TestSurface();
    TestSurface(const TestSurface&) = delete;
    TestSurface& operator=(const TestSurface&) = delete;

    uint16_t Get(int x, int y) const;
    void Set(int x, int y, uint16_t pixel);
    // Every byte of the memory, row padding included.
    void Fill(uint16_t pixel);
    std::vector<uint8_t> Bytes() const;
};

// g_display draws into surface: 16 bits per pixel, clipRect = the whole surface.
struct ScopedDrawTarget {
    RECT savedClipRect;
    int32_t savedBitsPerPixel;

    explicit ScopedDrawTarget(const TestSurface& surface);
    ~ScopedDrawTarget();
    ScopedDrawTarget(const ScopedDrawTarget&) = delete;
    ScopedDrawTarget& operator=(const ScopedDrawTarget&) = delete;
};

// A freshly reset headless state in use for the scope (faults, lock failures).
// One at a time: every instance resets the same storage.
struct ScopedHeadless {
    HeadlessState* previous;
    PortableStats* previousStats;
    HeadlessState* state;

    ScopedHeadless();
    ~ScopedHeadless();
    ScopedHeadless(const ScopedHeadless&) = delete;
    ScopedHeadless& operator=(const ScopedHeadless&) = delete;
};

// Every platform object gone, each reference released exactly once.
void ExpectEverythingReleasedOnce(const PortableStats& stats);

// ---------------------------------------------------------------- allocations

// The largest single heap request made between the two calls (operator new
// and, under AddressSanitizer, malloc too), and how many there were.
void StartAllocationWatch();
size_t StopAllocationWatch(size_t* requests = nullptr);
