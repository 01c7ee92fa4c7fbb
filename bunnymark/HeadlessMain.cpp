// spritedemo-bunnymark on the headless build: runs the program's own frame
// loop from N bunnies for K frames and writes frame K as a PNG. The clock
// starts at 0 and moves 16 ms a frame, as in spritedemo-render, so a run
// repeats exactly, frame-rate text included.
#include "bunnymark/Bunnymark.h"
#include "bunnymark/Options.h"

#include "platform/portable/headless/Headless.h"
#include "tools/common/Options.h"
#include "tools/common/OutputFile.h"
#include "tools/common/PngIo.h"

#include <cstdio>
#include <string>

namespace {

const char kProgram[] = "spritedemo-bunnymark";
const char kUsage[] = "usage: spritedemo-bunnymark [--bunnies N] [--seed S] [--frames K] -o OUT.png\n"
                      "\n"
                      "Runs the bunnymark headless and writes its last frame as an RGB PNG. Reads\n"
                      "bunny.spr from the working directory.\n"
                      "  --bunnies N          bunnies at the start (default 100; 0-200000)\n"
                      "  --seed S             of the generator that places them and picks their speeds\n"
                      "                       (default 1; 0-999999999)\n"
                      "  --frames K           frames to run (default 1; 1-999999999)\n"
                      "  -o, --output OUT.png where to write frame K\n"
                      "  -h, --help           show this text\n"
                      "The clock starts at 0 ms and advances 16 ms a frame. RGB565 is widened by bit\n"
                      "replication, so every pixel maps back to its exact 16-bit value.\n"
                      "Exit status: 0 success, 1 failure, 2 usage error.\n";

} // namespace

int main(int argc, char** argv) {
    g_bunnymark.frames = 1;
    std::string output;
    if (const int status = ParseBunnymarkArgs(argc, argv, kUsage, &output); status != kGoOn) {
        return status;
    }
    std::string error;
    if (OutputIsInput(output, {"bunny.spr"}, error)) {
        return FileFailure(kProgram, output, error);
    }
    HeadlessState& state = *g_headless;
    state.tickCount = 0;
    state.tickStepPerFrame = 16;
    if (const int status = CallWinMain(); status != 0) {
        return status; // bunny.spr did not load, and the program has said why
    }
    if (state.framesPresented != g_bunnymark.frames) {
        std::fprintf(stderr, "%s: %d of %ld frames shown (see ErrLog.txt)\n", kProgram, state.framesPresented,
                     g_bunnymark.frames);
        return kExitFailure;
    }
    if (!WritePng(output.c_str(), Rgb565Image(state.frame, kHeadlessFrameWidth, kHeadlessFrameHeight), error)) {
        return FileFailure(kProgram, output, error);
    }
    return 0;
}
