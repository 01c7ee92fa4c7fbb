// spritedemo-render: runs the demo's own frame loop on the headless screen and
// writes the last presented frame as a PNG. The clock starts at 0 and moves
// 16 ms a pass, so a run repeats exactly.
#include "app/Scene.h"
#include "platform/portable/headless/Headless.h"
#include "sprite/Sprite.h"
#include "tools/common/PngIo.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kUsage[] = "usage: spritedemo-render [--mouse X,Y] [--frames N] [--girl FILE] [--bg FILE] -o OUT.png\n"
                      "\n"
                      "Runs the demo scene headless and writes its last frame as an RGB PNG.\n"
                      "  --mouse X,Y   pointer position before the first frame (default 0,0; 0-65535)\n"
                      "  --frames N    passes of the frame loop (default 1; 1-100000)\n"
                      "  --girl FILE   the girl sprite file (default girl.spr in the working directory)\n"
                      "  --bg FILE     the background sprite file (default bg.spr in the working directory)\n"
                      "  -o OUT.png    where to write the frame\n"
                      "The clock starts at 0 ms and advances 16 ms a pass. RGB565 is widened by bit\n"
                      "replication, so every pixel maps back to its exact 16-bit value.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "spritedemo-render: %s\n(see spritedemo-render --help)\n", message.c_str());
    return 2;
}

bool ParseLong(const char* text, long low, long high, long* value) {
    if (*text == '\0') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    *value = parsed;
    return true;
}

bool ParsePoint(const char* text, long* x, long* y) {
    const char* comma = std::strchr(text, ',');
    if (comma == nullptr) {
        return false;
    }
    const std::string first(text, comma);
    return ParseLong(first.c_str(), 0, 65535, x) && ParseLong(comma + 1, 0, 65535, y);
}

} // namespace

int main(int argc, char** argv) {
    long mouseX = 0;
    long mouseY = 0;
    long frames = 1;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option != "--mouse" && option != "--frames" && option != "--girl" && option != "--bg" && option != "-o") {
            return UsageError("unknown option '" + option + "'");
        }
        if (i + 1 >= argc) {
            return UsageError(option + " needs a value");
        }
        const char* value = argv[++i];
        if (option == "--mouse" && !ParsePoint(value, &mouseX, &mouseY)) {
            return UsageError("--mouse wants X,Y with each 0-65535, not '" + std::string(value) + "'");
        }
        if (option == "--frames" && !ParseLong(value, 1, 100000, &frames)) {
            return UsageError("--frames wants a whole number 1-100000, not '" + std::string(value) + "'");
        }
        if (option == "--girl") {
            g_girlFileName = value;
        } else if (option == "--bg") {
            g_backgroundFileName = value;
        } else if (option == "-o") {
            output = value;
        }
    }
    if (output == nullptr) {
        return UsageError("no output file: give -o OUT.png");
    }

    HeadlessState& state = *g_headless;
    state.tickCount = 0;
    state.tickStepPerFrame = 16;
    state.quitAfterFrames = static_cast<int>(frames);
    HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(mouseX, mouseY));

    CallWinMain();
    if (state.framesPresented != frames) {
        std::fprintf(stderr, "spritedemo-render: the demo rendered %d of %ld frames (see ErrLog.txt)\n",
                     state.framesPresented, frames);
        return 1;
    }
    if (g_girlSprites.sprites.empty()) {
        std::fprintf(stderr, "spritedemo-render: note: '%s' did not load; its draws were skipped\n", g_girlFileName);
    }
    if (g_backgroundSprites.sprites.empty()) {
        std::fprintf(stderr, "spritedemo-render: note: '%s' did not load; its draw was skipped\n",
                     g_backgroundFileName);
    }

    const PngImage image = Rgb565Image(state.frame, kHeadlessFrameWidth, kHeadlessFrameHeight);
    std::string error;
    if (!WritePng(output, image, error)) {
        std::fprintf(stderr, "spritedemo-render: cannot write '%s': %s\n", output, error.c_str());
        return 1;
    }
    return 0;
}
