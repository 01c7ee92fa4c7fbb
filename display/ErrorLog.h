// "ErrLog.txt" in the working directory: the one record of failures.
#pragma once

#include <cstdint>

// Replaces the file with one line.
void LogError(const char* message);
// Appends "message : code".
void LogErrorCode(const char* message, int32_t code);
