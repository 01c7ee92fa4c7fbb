#include "display/ErrorLog.h"

#include <cstdio>

static const char kLogFileName[] = "ErrLog.txt";

void LogError(const char* message) {
    FILE* file = std::fopen(kLogFileName, "wt");
    if (file == nullptr) {
        return; // nowhere to record it; the caller goes on regardless
    }
    std::fprintf(file, "%s\n", message);
    std::fclose(file);
}

void LogErrorCode(const char* message, int32_t code) {
    FILE* file = std::fopen(kLogFileName, "a+");
    if (file == nullptr) {
        return;
    }
    std::fprintf(file, "%s : %d\n", message, static_cast<int>(code));
    std::fclose(file);
}
