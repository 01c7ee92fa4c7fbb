// The bunnymark's command line outside Windows, in the tools' way
// (tools/common/Options.h): --bunnies N, --seed S, --frames K and, where
// output is given, -o OUT.png.
#pragma once

#include <string>

// Fills g_bunnymark (and *output) from the command line. kGoOn to go on;
// otherwise the exit status: 0 after the help, kExitUsage after a usage error.
int ParseBunnymarkArgs(int argc, char** argv, const char* usage, std::string* output);
