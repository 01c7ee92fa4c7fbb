// spritedemo-render: runs the demo's own frame loop on the headless screen and
// writes the last presented frame as a PNG. The clock starts at 0 and moves
// 16 ms a pass, so a run repeats exactly.
#include "app/Scene.h"
#include "platform/portable/headless/Headless.h"
#include "sprite/Sprite.h"
#include "tools/common/Options.h"
#include "tools/common/OutputFile.h"
#include "tools/common/PngIo.h"
#include "tools/common/SpriteRead.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kProgram[] = "spritedemo-render";
const char kUsage[] = "usage: spritedemo-render [--mouse X,Y] [--frames N] [--girl FILE] [--bg FILE] -o OUT.png\n"
                      "\n"
                      "Runs the demo scene headless and writes its last frame as an RGB PNG.\n"
                      "  --mouse X,Y          pointer position before the first frame (default 0,0; 0-65535)\n"
                      "  --frames N           passes of the frame loop (default 1; 1-100000)\n"
                      "  --girl FILE          the girl sprite file (default girl.spr in the working directory)\n"
                      "  --bg FILE            the background sprite file (default bg.spr in the working directory)\n"
                      "  -o, --output OUT.png where to write the frame\n"
                      "  -h, --help           show this text\n"
                      "The clock starts at 0 ms and advances 16 ms a pass. RGB565 is widened by bit\n"
                      "replication, so every pixel maps back to its exact 16-bit value.\n"
                      "Exit status: 0 success, 1 failure, 2 usage error.\n";

// Why a sprite file the demo could not use was skipped.
void NoteSkipped(const char* fileName, const SpriteSet& set, const char* what) {
    if (!set.sprites.empty()) {
        return;
    }
    Sprite sprite;
    SpriteReadStatus status;
    std::string reason = "did not load";
    if (!ReadSpriteForTool(fileName, sprite, status, reason)) {
        reason = "did not load (" + reason + ")";
    }
    std::fprintf(stderr, "%s: note: %s: %s; %s skipped\n", kProgram, fileName, reason.c_str(), what);
}

} // namespace

int main(int argc, char** argv) {
    static const std::vector<OptionDef> kOptions = {
        {"--mouse", nullptr, true}, {"--frames", nullptr, true}, {"--girl", nullptr, true},
        {"--bg", nullptr, true},    {"--output", "-o", true},
    };
    ParsedArgs args;
    if (const int status = ParseArgs(kProgram, kUsage, argc, argv, 1, kOptions, args); status != kGoOn) {
        return status;
    }
    if (!args.positional.empty()) {
        return UsageError(kProgram, kUsage, "unexpected argument \"" + args.positional[0] + "\"");
    }
    long mouseX = 0, mouseY = 0, frames = 1;
    const std::string* value = nullptr;
    if ((value = FindOption(args, "--mouse")) && !ParsePair(*value, 0, 65535, mouseX, mouseY)) {
        return UsageError(kProgram, kUsage, "--mouse needs X,Y (integers 0..65535), not \"" + *value + "\"");
    }
    if ((value = FindOption(args, "--frames")) && !ParseInteger(*value, 1, 100000, frames)) {
        return UsageError(kProgram, kUsage, "--frames needs a whole number 1..100000, not \"" + *value + "\"");
    }
    if ((value = FindOption(args, "--girl"))) {
        g_girlFileName = value->c_str();
    }
    if ((value = FindOption(args, "--bg"))) {
        g_backgroundFileName = value->c_str();
    }
    const std::string* output = FindOption(args, "--output");
    if (output == nullptr || output->empty()) {
        return UsageError(kProgram, kUsage, "no output file: give -o OUT.png");
    }
    std::string error;
    if (OutputIsInput(*output, {g_girlFileName, g_backgroundFileName}, error)) {
        return FileFailure(kProgram, *output, error);
    }

    HeadlessState& state = *g_headless;
    state.tickCount = 0;
    state.tickStepPerFrame = 16;
    state.quitAfterFrames = static_cast<int>(frames);
    HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(mouseX, mouseY));

    CallWinMain();
    if (state.framesPresented != frames) {
        std::fprintf(stderr, "%s: the demo rendered %d of %ld frames (see ErrLog.txt)\n", kProgram,
                     state.framesPresented, frames);
        return kExitFailure;
    }
    NoteSkipped(g_girlFileName, g_girlSprites, "its draws were");
    NoteSkipped(g_backgroundFileName, g_backgroundSprites, "its draw was");

    const PngImage image = Rgb565Image(state.frame, kHeadlessFrameWidth, kHeadlessFrameHeight);
    if (!WritePng(output->c_str(), image, error)) {
        return FileFailure(kProgram, *output, error);
    }
    return 0;
}
