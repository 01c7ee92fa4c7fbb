// The program outside Windows, as main runs it.
#pragma once

// CallWinMain, with one line on standard error for every sprite file that
// does not load, saying why in the tools' words ("spritedemo: bg.spr: did
// not load (byte 43: block is larger than the rest of the file)"). What the
// program itself prints is unchanged; on Windows it has nowhere to say more.
int RunProgram();
