// spritetool: makes SPRITE files from PNG images and inspects them.
//   spritetool info FILE.spr
//   spritetool pack IN.png [IN2.png ...] -o OUT.spr [options]
//   spritetool unpack FILE.spr OUT.png [--frame N]
// Exit status: 0 success, 1 failure, 2 usage error.

#include "tools/common/PngIo.h"
#include "tools/spritetool/FrameImage.h"
#include "tools/spritetool/SpriteInfo.h"
#include "tools/spritetool/SpriteWriter.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kMainHelp[] = "Usage: spritetool COMMAND [ARGUMENTS]\n"
                         "\n"
                         "Makes and inspects SPRITE files, the sprite files of spritedemo.\n"
                         "\n"
                         "Commands:\n"
                         "  info FILE.spr                     show the header and every frame\n"
                         "  pack IN.png [IN2.png ...] -o OUT.spr [options]\n"
                         "                                    make a SPRITE file, one frame per PNG\n"
                         "  unpack FILE.spr OUT.png [--frame N]\n"
                         "                                    write one frame as an RGBA PNG\n"
                         "\n"
                         "'spritetool COMMAND --help' describes a command and its options.\n"
                         "Exit status: 0 success, 1 failure, 2 usage error.\n";

const char kInfoHelp[] = "Usage: spritetool info FILE.spr\n"
                         "\n"
                         "Shows the header values, the frame count and, for every frame, its size,\n"
                         "colour key, hotspot, offset, fixed position (\"none\" for -1) and block sizes,\n"
                         "with a warning for a block that does not fit the frame size (a pixel block\n"
                         "other than width x height x 2 bytes, an alpha block neither empty nor\n"
                         "width x height bytes).\n"
                         "\n"
                         "Exit status 0 when spritedemo can load the file; 1, with the reason on\n"
                         "standard error, when it cannot.\n";

const char kPackHelp[] = "Usage: spritetool pack IN.png [IN2.png ...] -o OUT.spr [options]\n"
                         "\n"
                         "Makes a SPRITE file with one frame per PNG, in the order given. Any PNG is\n"
                         "read (palette, grey, 16-bit, with or without transparency); colours become\n"
                         "RGB565 by keeping the high 5, 6 and 5 bits of red, green and blue.\n"
                         "\n"
                         "Transparency: pixels with alpha 0 are stored as the colour key. The PNG's\n"
                         "alpha values become the frame's alpha block, which is left out when every\n"
                         "pixel is fully opaque.\n"
                         "A visible pixel whose colour equals the key is changed to the nearest other\n"
                         "colour, and a note on standard error says how many pixels were changed.\n"
                         "\n"
                         "Options:\n"
                         "  -o, --output OUT.spr  the file to write (required)\n"
                         "  --hotspot X,Y         hotspot of every frame (default 0,0)\n"
                         "  --offset X,Y          offset of every frame (default 0,0)\n"
                         "  --fixed X,Y           fixed position of every frame; -1 on an axis means\n"
                         "                        none (default: none on both axes)\n"
                         "  --key 0xRRRR          colour key, an RGB565 value in hex (default 0xF81F)\n"
                         "  --no-alpha            store no alpha values: pixels with alpha below 128\n"
                         "                        become the colour key, all others are fully opaque\n"
                         "  -h, --help            show this text\n"
                         "\n"
                         "X and Y are integers from -32768 to 32767. A PNG may be at most\n"
                         "32767 x 32767 pixels. Header values, spare fields and extra blocks are 0.\n";

const char kUnpackHelp[] = "Usage: spritetool unpack FILE.spr OUT.png [--frame N]\n"
                           "\n"
                           "Writes one frame as an RGBA PNG showing what spritedemo draws: pixels equal\n"
                           "to the colour key are fully transparent, every other pixel has its alpha\n"
                           "value (255 when the frame has no alpha block). RGB565 channels are widened\n"
                           "by repeating their high bits, so packing the PNG again gives the same pixels.\n"
                           "\n"
                           "Options:\n"
                           "  --frame N             the frame to write, counted from 0 (default 0)\n"
                           "  -h, --help            show this text\n";

struct OptionDef {
    const char* name;      // long name, "--name"
    const char* shortName; // "-o", or nullptr
    bool takesValue;
};

struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options; // long name, value
    bool help = false;
};

const std::string* FindOption(const ParsedArgs& args, const char* name) {
    for (const auto& option : args.options) {
        if (option.first == name) {
            return &option.second;
        }
    }
    return nullptr;
}

// Options may come before, between or after the other arguments, as
// "--name value" or "--name=value"; "--" ends the options.
bool ParseArgs(int argc, char** argv, int first, const OptionDef* known, size_t knownCount, ParsedArgs& args,
               std::string& error) {
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            args.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            args.help = true;
            continue;
        }
        std::string name = arg, value;
        bool inlineValue = false;
        size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        }
        const OptionDef* def = nullptr;
        for (size_t s = 0; s < knownCount; ++s) {
            if (name == known[s].name || (known[s].shortName && name == known[s].shortName)) {
                def = &known[s];
            }
        }
        if (!def) {
            error = "unknown option " + name;
            return false;
        }
        if (FindOption(args, def->name)) {
            error = std::string(def->name) + " given more than once";
            return false;
        }
        if (def->takesValue && !inlineValue) {
            if (i + 1 >= argc) {
                error = std::string(def->name) + " needs a value";
                return false;
            }
            value = argv[++i];
        } else if (!def->takesValue && inlineValue) {
            error = std::string(def->name) + " takes no value";
            return false;
        }
        args.options.emplace_back(def->name, value);
    }
    return true;
}

// An optional minus sign and 1 to 5 digits, within -32768..32767.
bool ParseInt16(const std::string& text, int16_t& value) {
    size_t digits = text.size() - (text.empty() || text[0] != '-' ? 0 : 1);
    if (digits < 1 || digits > 5) {
        return false;
    }
    long parsed = 0;
    for (size_t i = text.size() - digits; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        parsed = parsed * 10 + (text[i] - '0');
    }
    if (text[0] == '-') {
        parsed = -parsed;
    }
    if (parsed < -32768 || parsed > 32767) {
        return false;
    }
    value = int16_t(parsed);
    return true;
}

// 1 to 9 digits: a frame number.
bool ParseFrameIndex(const std::string& text, size_t& value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + size_t(c - '0');
    }
    return true;
}

bool ParsePair(const std::string& text, int16_t& x, int16_t& y) {
    size_t comma = text.find(',');
    return comma != std::string::npos && ParseInt16(text.substr(0, comma), x) && ParseInt16(text.substr(comma + 1), y);
}

bool ParseKey(const std::string& text, uint16_t& key) {
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    unsigned value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) {
            return false;
        }
        value = value * 16 + unsigned(digit);
    }
    key = uint16_t(value);
    return true;
}

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "spritetool: %s\n", message.c_str());
    if (command) {
        std::fprintf(stderr, "Try 'spritetool %s --help'.\n", command);
    } else {
        std::fprintf(stderr, "Try 'spritetool --help'.\n");
    }
    return kExitUsage;
}

int Fail(const std::string& subject, const std::string& message) {
    std::fprintf(stderr, "spritetool: %s: %s\n", subject.c_str(), message.c_str());
    return kExitFailure;
}

int RunInfo(int argc, char** argv) {
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(argc, argv, 2, nullptr, 0, args, error)) {
        return UsageError("info", error);
    }
    if (args.help) {
        std::fputs(kInfoHelp, stdout);
        return 0;
    }
    if (args.positional.size() != 1) {
        return UsageError("info", "info needs exactly one FILE.spr");
    }
    const char* path = args.positional[0].c_str();

    Sprite sprite;
    if (!LoadSpriteFile(path, sprite, error)) {
        return Fail(path, error);
    }
    PrintSpriteInfo(stdout, path, sprite, ScanSpriteFile(path));
    return 0;
}

int RunPack(int argc, char** argv) {
    static const OptionDef kOptions[] = {
        {"--output", "-o", true},   {"--hotspot", nullptr, true}, {"--offset", nullptr, true},
        {"--fixed", nullptr, true}, {"--key", nullptr, true},     {"--no-alpha", nullptr, false},
    };
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(argc, argv, 2, kOptions, sizeof kOptions / sizeof kOptions[0], args, error)) {
        return UsageError("pack", error);
    }
    if (args.help) {
        std::fputs(kPackHelp, stdout);
        return 0;
    }

    PackOptions options;
    const std::string* value = nullptr;
    if ((value = FindOption(args, "--hotspot")) && !ParsePair(*value, options.hotspotX, options.hotspotY)) {
        return UsageError("pack", "--hotspot needs X,Y (integers -32768..32767), not \"" + *value + "\"");
    }
    if ((value = FindOption(args, "--offset")) && !ParsePair(*value, options.offsetX, options.offsetY)) {
        return UsageError("pack", "--offset needs X,Y (integers -32768..32767), not \"" + *value + "\"");
    }
    if ((value = FindOption(args, "--fixed")) && !ParsePair(*value, options.fixedX, options.fixedY)) {
        return UsageError("pack", "--fixed needs X,Y (integers -32768..32767), not \"" + *value + "\"");
    }
    if ((value = FindOption(args, "--key")) && !ParseKey(*value, options.colorKey)) {
        return UsageError("pack", "--key needs an RGB565 value in hex such as 0xF81F, not \"" + *value + "\"");
    }
    options.noAlpha = FindOption(args, "--no-alpha") != nullptr;
    const std::string* output = FindOption(args, "--output");
    if (!output || output->empty()) {
        return UsageError("pack", "pack needs an output file: -o OUT.spr");
    }
    if (args.positional.empty()) {
        return UsageError("pack", "pack needs at least one IN.png");
    }

    Sprite sprite;
    for (const std::string& input : args.positional) {
        PngImage image;
        if (!ReadPngRgba(input.c_str(), image, error, kMaxFrameSide)) {
            return Fail(input, error);
        }
        uint32_t moved = 0;
        sprite.frames.push_back(ImageToFrame(image, options, moved));
        if (moved > 0) {
            std::fprintf(stderr,
                         "spritetool: note: %s: %u visible pixel%s had the colour key 0x%04X and "
                         "%s moved to the nearest other colour\n",
                         input.c_str(), unsigned(moved), moved == 1 ? "" : "s", unsigned(options.colorKey),
                         moved == 1 ? "was" : "were");
        }
    }
    sprite.frameCount = int32_t(sprite.frames.size());
    if (!WriteSpriteFile(output->c_str(), sprite, error)) {
        return Fail(*output, error);
    }
    return 0;
}

int RunUnpack(int argc, char** argv) {
    static const OptionDef kOptions[] = {{"--frame", nullptr, true}};
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(argc, argv, 2, kOptions, 1, args, error)) {
        return UsageError("unpack", error);
    }
    if (args.help) {
        std::fputs(kUnpackHelp, stdout);
        return 0;
    }
    size_t frameIndex = 0;
    const std::string* value = FindOption(args, "--frame");
    if (value && !ParseFrameIndex(*value, frameIndex)) {
        return UsageError("unpack", "--frame needs a frame number from 0, not \"" + *value + "\"");
    }
    if (args.positional.size() != 2) {
        return UsageError("unpack", "unpack needs FILE.spr and OUT.png");
    }
    const std::string& input = args.positional[0];
    const std::string& output = args.positional[1];

    Sprite sprite;
    if (!LoadSpriteFile(input.c_str(), sprite, error)) {
        return Fail(input, error);
    }
    if (frameIndex >= sprite.frames.size()) {
        return Fail(input, "has " + std::to_string(sprite.frames.size()) + " frame" +
                               (sprite.frames.size() == 1 ? "" : "s") + "; there is no frame " +
                               std::to_string(frameIndex));
    }
    PngImage image;
    if (!FrameToImage(sprite.frames[frameIndex], image, error)) {
        return Fail(input, "frame " + std::to_string(frameIndex) + ": " + error);
    }
    if (!WritePng(output.c_str(), image, error)) {
        return Fail(output, error);
    }
    return 0;
}

int Run(int argc, char** argv) {
    if (argc < 2) {
        return UsageError(nullptr, "no command given");
    }
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kMainHelp, stdout);
        return 0;
    }
    if (command == "info") {
        return RunInfo(argc, argv);
    }
    if (command == "pack") {
        return RunPack(argc, argv);
    }
    if (command == "unpack") {
        return RunUnpack(argc, argv);
    }
    return UsageError(nullptr, "unknown command \"" + command + "\"");
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "spritetool: out of memory\n");
        return kExitFailure;
    }
}
