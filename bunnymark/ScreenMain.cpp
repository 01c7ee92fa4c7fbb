// The bunnymark's entry on a screen someone watches (SDL2, the page): the
// options, then WinMain, whose result is the exit status. The standard exit
// is called rather than returned to, as in the demo's portable main.
#include "bunnymark/Options.h"

#include "platform/Platform.h"
#include "tools/common/Options.h"

#include <cstdlib>

namespace {

const char kUsage[] = "usage: spritedemo-bunnymark [--bunnies N] [--seed S] [--frames K]\n"
                      "\n"
                      "Bunnies bouncing about a 640x480 screen, drawn in software; holding the left\n"
                      "button (or a finger) adds 100 a frame at the pointer. Esc ends it. Reads\n"
                      "bunny.spr from the working directory.\n"
                      "  --bunnies N  bunnies at the start (default 100; 0-200000)\n"
                      "  --seed S     of the generator that places them and picks their speeds (default 1)\n"
                      "  --frames K   end after K frames (default: run until Esc)\n"
                      "  -h, --help   show this text\n"
                      "Exit status: 0 after Esc or closing, 1 when bunny.spr does not load, 2 usage error.\n";

} // namespace

int main(int argc, char** argv) {
    const int status = ParseBunnymarkArgs(argc, argv, kUsage, nullptr);
    std::exit(status != kGoOn ? status : CallWinMain());
}
