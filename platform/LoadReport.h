// Where a program may say why a sprite file did not load, besides what the
// loader itself prints. Null unless the program's entry names a place: the
// Windows program has nowhere to say more, the portable one uses standard
// error. It sits at the bottom so the loader above and the entry beside the
// platform layer can both reach it. Both texts arrive with their control
// bytes already shown as \xHH, safe to print as they are.
#pragma once

inline void (*g_spriteNotLoaded)(const char* fileName, const char* reason) = nullptr;
