// The process entry outside Windows: straight on to WinMain, whose result is
// the exit status (returning from main runs the standard exit).
#include "Win32.h"

int main() {
    return CallWinMain();
}
