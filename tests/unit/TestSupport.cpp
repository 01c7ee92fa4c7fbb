#include "TestSupport.h"

#include "display/DisplayDevice.h"
#include "platform/LittleEndian.h"
#include "tests/support/SpriteBytes.h"
#include "tools/spritetool/SpriteWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TEST_SUPPORT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEST_SUPPORT_ASAN 1
#endif
#endif

#ifdef TEST_SUPPORT_ASAN
// From the sanitizer runtime's allocator interface (its header is not always installed).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "spritedemo-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        ADD_FAILURE() << "mkdtemp failed for " << pattern;
        return;
    }
    path = name.data();
}

TempDir::~TempDir() {
    if (!path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
}

ScopedWorkingDir::ScopedWorkingDir(const std::string& dir) {
    previous = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
}

ScopedWorkingDir::~ScopedWorkingDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// ---------------------------------------------------------------- SPRITE files

void PutLe16(std::vector<uint8_t>* out, uint16_t value) {
    uint8_t bytes[2];
    StoreLe16(bytes, value);
    out->insert(out->end(), bytes, bytes + 2);
}

void PutLe32(std::vector<uint8_t>* out, uint32_t value) {
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    out->insert(out->end(), bytes, bytes + 4);
}

namespace {

std::vector<uint8_t> PixelBytes(const std::vector<uint16_t>& pixels) {
    std::vector<uint8_t> bytes;
    for (uint16_t pixel : pixels) {
        PutLe16(&bytes, pixel);
    }
    return bytes;
}

} // namespace

void AppendFrameRecord(std::vector<uint8_t>* out, const TestFrame& frame) {
    AppendFrame(*out, MakeSpriteFrame(frame));
}

std::vector<uint8_t> SpriteFileBytes(uint32_t headerValue1, uint32_t headerValue2, int32_t frameCount,
                                     const std::vector<TestFrame>& frames) {
    std::vector<uint8_t> bytes;
    PutFileHeader(bytes, headerValue1, headerValue2, static_cast<uint32_t>(frameCount));
    for (const TestFrame& frame : frames) {
        AppendFrameRecord(&bytes, frame);
    }
    return bytes;
}

SpriteFrame MakeSpriteFrame(const TestFrame& frame) {
    SpriteFrame out;
    static_cast<SpriteFrameHeader&>(out) = frame;
    out.pixelBlock = CopyBlock(PixelBytes(frame.pixels));
    out.alphaBlock = CopyBlock(frame.alpha);
    out.extraBlock = CopyBlock(frame.extra);
    return out;
}

Sprite MakeSprite(const TestFrame& frame) {
    Sprite sprite;
    sprite.frameCount = 1;
    sprite.frames.push_back(MakeSpriteFrame(frame));
    return sprite;
}

// ---------------------------------------------------------------- surfaces

HWND TestWindow() {
    static HWND window = [] {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "TestWindow";
        RegisterClassExA(&windowClass);
        return CreateWindowExA(0, "TestWindow", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    }();
    return window;
}

TestSurface::TestSurface(int surfaceWidth, int surfaceHeight) : width(surfaceWidth), height(surfaceHeight) {
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK) {
        ADD_FAILURE() << "DirectDrawCreate failed";
        return;
    }
    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = static_cast<DWORD>(width);
    description.dwHeight = static_cast<DWORD>(height);
    if (directDraw->CreateSurface(&description, &surface, nullptr) != DD_OK) {
        ADD_FAILURE() << "CreateSurface failed";
        return;
    }
    // The address stays put while unlocked, so the memory can be read directly.
    if (surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr) != DD_OK) {
        ADD_FAILURE() << "Lock failed";
        return;
    }
    pixels = static_cast<uint8_t*>(description.lpSurface);
    pitch = description.lPitch;
    surface->Unlock(nullptr);
}

TestSurface::~TestSurface() {
    if (surface != nullptr) {
        surface->Release();
    }
    if (directDraw != nullptr) {
        directDraw->Release();
    }
}

uint16_t TestSurface::Get(int x, int y) const {
    return LoadLe16(pixels + static_cast<ptrdiff_t>(y) * pitch + 2 * x);
}

void TestSurface::Set(int x, int y, uint16_t pixel) {
    StoreLe16(pixels + static_cast<ptrdiff_t>(y) * pitch + 2 * x, pixel);
}

void TestSurface::Fill(uint16_t pixel) {
    const size_t size = static_cast<size_t>(pitch) * height;
    for (size_t i = 0; i + 1 < size; i += 2) {
        StoreLe16(pixels + i, pixel);
    }
}

std::vector<uint8_t> TestSurface::Bytes() const {
    return std::vector<uint8_t>(pixels, pixels + static_cast<size_t>(pitch) * height);
}

ScopedDrawTarget::ScopedDrawTarget(const TestSurface& surface)
    : savedClipRect(g_display.clipRect), savedBitsPerPixel(g_display.bitsPerPixel) {
    g_display.clipRect = RECT{0, 0, surface.width, surface.height};
    g_display.bitsPerPixel = 16;
}

ScopedDrawTarget::~ScopedDrawTarget() {
    g_display.clipRect = savedClipRect;
    g_display.bitsPerPixel = savedBitsPerPixel;
}

ScopedHeadless::ScopedHeadless() : previous(g_headless), previousStats(g_portableStats) {
    static HeadlessState storage;
    state = &storage;
    HeadlessReset(state);
}

ScopedHeadless::~ScopedHeadless() {
    g_headless = previous;
    g_portableStats = previousStats;
}

void ExpectEverythingReleasedOnce(const PortableStats& stats) {
    EXPECT_EQ(stats.liveObjects, 0);
    EXPECT_EQ(stats.liveReferences, 0);
    EXPECT_EQ(stats.releasesOfDestroyed, 0);
}

// ---------------------------------------------------------------- allocations

namespace {

std::atomic<bool> g_watching{false};
std::atomic<size_t> g_largestRequest{0};
std::atomic<size_t> g_requests{0};

void NoteRequest(size_t size) {
    if (g_watching.load(std::memory_order_relaxed)) {
        g_requests.fetch_add(1, std::memory_order_relaxed);
        size_t seen = g_largestRequest.load(std::memory_order_relaxed);
        while (size > seen && !g_largestRequest.compare_exchange_weak(seen, size)) {
        }
    }
}

#ifdef TEST_SUPPORT_ASAN
// AddressSanitizer owns operator new and malloc; its hooks see every block it hands out.
void OnMalloc(const volatile void*, size_t size) {
    NoteRequest(size);
}
void OnFree(const volatile void*) {}

void InstallHooks() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    EXPECT_TRUE(installed);
}
#else
void InstallHooks() {}
#endif

} // namespace

void StartAllocationWatch() {
    InstallHooks();
    g_largestRequest = 0;
    g_requests = 0;
    g_watching = true;
}

size_t StopAllocationWatch(size_t* requests) {
    g_watching = false;
    if (requests != nullptr) {
        *requests = g_requests;
    }
    return g_largestRequest;
}

#ifndef TEST_SUPPORT_ASAN
#if defined(__GNUC__) && !defined(__clang__)
// GCC takes free() in a replacement operator delete for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
// Every other form of operator new (array, nothrow) ends up here by default,
// so the request is noted even when it cannot be met.
void* operator new(size_t size) {
    NoteRequest(size);
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, size_t) noexcept {
    std::free(block);
}
#endif
