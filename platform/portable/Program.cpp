#include "Program.h"

#include "Win32.h"
#include "platform/LoadReport.h"

#include <cstdio>

namespace {

void NoteNotLoaded(const char* fileName, const char* reason) {
    std::fprintf(stderr, "spritedemo: %s: did not load (%s)\n", fileName, reason);
}

} // namespace

int RunProgram() {
    g_spriteNotLoaded = NoteNotLoaded;
    return CallWinMain();
}
