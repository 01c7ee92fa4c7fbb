#include "tools/common/SpriteRead.h"

bool ReadSpriteForTool(const char* path, Sprite& sprite, SpriteReadStatus& status, std::string& error) {
    if (ReadSpriteFile(path, &sprite, &status)) {
        return true;
    }
    error = SpriteReadReason(status);
    return false;
}
