// Where a program says why a sprite file did not load, besides what the
// loader itself prints. Each platform defines it: the portable program writes
// one line on standard error (portable/NotLoaded.cpp); the Windows program,
// with no console of its own, says nothing. Both texts arrive with their
// control bytes already shown as \xHH, safe to print as they are.
#pragma once

void SaySpriteNotLoaded(const char* fileName, const char* reason);
