// The process entry outside Windows: on to WinMain (RunProgram), whose result
// is the exit status. The standard exit is called rather than returned to: the
// same thing everywhere, and in the browser, where main has long been left
// by the time the loop ends (see web/ScreenWeb.cpp), the only way to end.
#include "Program.h"

#include <cstdlib>

int main() {
    std::exit(RunProgram());
}
