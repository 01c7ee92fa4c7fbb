// Bytes from a file, quoted in a message: a control byte would act on the
// terminal of whoever reads the message (ESC [2J clears it), so each one is
// shown as \xHH instead. Every other byte, non-ASCII ones included, stays as
// it is, so ordinary text comes out unchanged.
#pragma once

#include <cstddef>
#include <string>

inline std::string ShowControlBytes(const char* bytes, size_t count) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x20 || byte == 0x7F) {
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

inline std::string ShowControlBytes(const std::string& text) {
    return ShowControlBytes(text.data(), text.size());
}
