// The way into a program's WinMain, in a library of its own (spritedemo_entry)
// that only what has a WinMain links: the rest of the layer calls nothing above it.
#include "Program.h"
#include "Layer.h"
#include "Win32.h"

int CallWinMain() {
    static int instance; // any unique address will do as the instance handle
    char commandLine[] = "";
    return WinMain(reinterpret_cast<HINSTANCE>(&instance), nullptr, commandLine, SW_SHOWDEFAULT);
}

int RunProgram() {
    SayWhySpritesDoNotLoad();
    return CallWinMain();
}
