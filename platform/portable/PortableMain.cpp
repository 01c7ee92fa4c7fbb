// The process entry outside Windows: straight on to WinMain, whose result is
// the exit status. The standard exit is called rather than returned to: the
// same thing everywhere, and in the browser, where main has long been left
// by the time the loop ends (see web/ScreenWeb.cpp), the only way to end.
#include "Win32.h"

#include <cstdlib>

int main() {
    std::exit(CallWinMain());
}
