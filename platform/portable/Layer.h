// What the portable layer's own files tell each other: not for the program,
// the screen backends or the tests.
#pragma once

// The size of the frames the screen shows: the mode's once one is set, then
// that of each frame presented (DirectDraw.cpp). Pointer positions are pinned
// to it (Win32.cpp); before any, to the desktop's.
void NoteFrameSize(int width, int height);

// From now on SaySpriteNotLoaded writes its line on standard error: the
// program run by RunProgram says why a sprite file did not load.
void SayWhySpritesDoNotLoad();
