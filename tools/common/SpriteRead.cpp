#include "tools/common/SpriteRead.h"

#include <cstring>

bool ReadSpriteForTool(const char* path, Sprite& sprite, SpriteReadStatus& status, std::string& error) {
    if (ReadSpriteFile(path, &sprite, &status)) {
        return true;
    }
    if (status.notRegular != nullptr) {
        error = std::string(status.notRegular) + ", " + status.failure;
    } else if (status.systemError != 0) {
        error = std::string(status.failure) + ": " + std::strerror(status.systemError);
    } else {
        error = "byte " + std::to_string(status.offset) + ": " + status.failure;
    }
    return false;
}
