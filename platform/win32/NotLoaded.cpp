// A Windows program of the GUI subsystem has no console to say more on.
#include "platform/NotLoaded.h"

void SaySpriteNotLoaded(const char*, const char*) {}
