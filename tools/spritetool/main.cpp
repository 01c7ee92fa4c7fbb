// spritetool: makes SPRITE files from PNG images and inspects them. Its
// commands are the rows of kCommands, which make both the help and the
// dispatch. Exit status: 0 success, 1 failure, 2 usage error.

#include "tools/common/Options.h"
#include "tools/common/OutputFile.h"
#include "tools/common/PngIo.h"
#include "tools/common/SpriteRead.h"
#include "tools/spritetool/FrameImage.h"
#include "tools/spritetool/PackStream.h"
#include "tools/spritetool/SpriteInfo.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace {

const char kInfoHelp[] = "Shows the header values, the frame count and, for every frame, its size,\n"
                         "colour key, hotspot, offset, fixed position (\"none\" for -1) and block sizes,\n"
                         "with a warning for a block that does not fit the frame size (a pixel block\n"
                         "other than width x height x 2 bytes, an alpha block neither empty nor\n"
                         "width x height bytes).\n"
                         "\n"
                         "Exit status 0 when spritedemo can load the file; 1, with the reason and\n"
                         "the byte where reading stopped on standard error, when it cannot.\n";

const char kPackHelp[] = "Makes a SPRITE file with one frame per PNG, in the order given. spritedemo\n"
                         "draws only the first frame of a file: several PNGs make a file with several\n"
                         "frames, not an animation.\n"
                         "Any PNG is read (palette, grey, 16-bit, with or without transparency);\n"
                         "colours become RGB565 by keeping the high 5, 6 and 5 bits of red, green\n"
                         "and blue.\n"
                         "\n"
                         "Transparency: pixels with alpha 0 are stored as the colour key. The PNG's\n"
                         "alpha values become the frame's alpha block, which is left out when every\n"
                         "pixel is fully opaque.\n"
                         "A visible pixel whose colour equals the key is changed to the nearest other\n"
                         "colour, and a note on standard error says how many pixels were changed.\n"
                         "\n"
                         "Options:\n"
                         "  -o, --output OUT.spr  the file to write (required; never one of the inputs)\n"
                         "  --hotspot X,Y         hotspot of every frame (default 0,0); or \"center\"\n"
                         "                        (W/2,H/2) or \"bottom\" (W/2,H-1, the middle of the\n"
                         "                        bottom edge), rounded down, from each frame's size\n"
                         "  --offset X,Y          offset of every frame (default 0,0)\n"
                         "  --fixed X,Y           fixed position of every frame; -1 on an axis means\n"
                         "                        none (default: none on both axes)\n"
                         "  --key 0xRRRR          colour key, an RGB565 value in hex (default 0xF81F)\n"
                         "  --no-alpha            store no alpha values: pixels with alpha below 128\n"
                         "                        become the colour key, all others are fully opaque\n"
                         "  -h, --help            show this text\n"
                         "\n"
                         "X and Y are integers from -32768 to 32767. A PNG may be at most\n"
                         "32767 x 32767 pixels. Header values, spare fields and extra blocks are 0.\n"
                         "Rows go straight into OUT.spr as they are decoded, so memory stays small\n"
                         "whatever the size of the PNGs. On success one line on standard output\n"
                         "says what was written.\n";

const char kUnpackHelp[] = "Writes one frame as an RGBA PNG showing what spritedemo draws: pixels equal\n"
                           "to the colour key are fully transparent, every other pixel has its alpha\n"
                           "value (255 when the frame has no alpha block). RGB565 channels are widened\n"
                           "by repeating their high bits, so packing the PNG again gives the same pixels.\n"
                           "OUT.png may not be FILE.spr itself.\n"
                           "\n"
                           "Options:\n"
                           "  --frame N             the frame to write, counted from 0 (default 0)\n"
                           "  -h, --help            show this text\n";

bool ParseInt16Pair(const std::string& text, int16_t& x, int16_t& y) {
    long longX = 0, longY = 0;
    if (!ParsePair(text, -32768, 32767, longX, longY)) {
        return false;
    }
    x = int16_t(longX);
    y = int16_t(longY);
    return true;
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

const char kProgram[] = "spritetool";

int Fail(const std::string& file, const std::string& reason) {
    return FileFailure(kProgram, file, reason);
}

int RunInfo(const char* help, int argc, char** argv) {
    ParsedArgs args;
    std::string error;
    if (const int status = ParseArgs(kProgram, help, argc, argv, 2, {}, args); status != kGoOn) {
        return status;
    }
    if (args.positional.size() != 1) {
        return UsageError(kProgram, help, "info needs exactly one FILE.spr");
    }
    const char* path = args.positional[0].c_str();

    Sprite sprite;
    SpriteReadStatus status;
    if (!ReadSpriteForTool(path, sprite, status, error)) {
        return Fail(path, error);
    }
    PrintSpriteInfo(stdout, path, sprite, status);
    return 0;
}

// The placement, key and alpha options of pack: kGoOn, or the exit status of
// a usage error.
int ReadPackOptions(const char* help, const ParsedArgs& args, PackOptions& options) {
    const std::string* value = nullptr;
    if ((value = FindOption(args, "--hotspot"))) {
        if (*value == "center" || *value == "bottom") {
            options.hotspotAt = *value == "center" ? HotspotAt::Center : HotspotAt::Bottom;
        } else if (!ParseInt16Pair(*value, options.hotspotX, options.hotspotY)) {
            return UsageError(kProgram, help,
                              "--hotspot needs X,Y (integers -32768..32767), center or bottom, not \"" + *value + "\"");
        }
    }
    if ((value = FindOption(args, "--offset")) && !ParseInt16Pair(*value, options.offsetX, options.offsetY)) {
        return UsageError(kProgram, help, "--offset needs X,Y (integers -32768..32767), not \"" + *value + "\"");
    }
    if ((value = FindOption(args, "--fixed")) && !ParseInt16Pair(*value, options.fixedX, options.fixedY)) {
        return UsageError(kProgram, help, "--fixed needs X,Y (integers -32768..32767), not \"" + *value + "\"");
    }
    if ((value = FindOption(args, "--key")) && !ParseKey(*value, options.colorKey)) {
        return UsageError(kProgram, help, "--key needs an RGB565 value in hex such as 0xF81F, not \"" + *value + "\"");
    }
    options.noAlpha = FindOption(args, "--no-alpha") != nullptr;
    return kGoOn;
}

// The note on standard error for a frame whose visible pixels had the key.
void NoteMovedPixels(const std::string& input, const PackedFrame& packed, uint16_t key) {
    const uint32_t moved = packed.movedPixels;
    if (moved > 0) {
        std::fprintf(stderr,
                     "spritetool: note: %s: %u visible pixel%s had the colour key 0x%04X and "
                     "%s moved to the nearest other colour\n",
                     input.c_str(), unsigned(moved), moved == 1 ? "" : "s", unsigned(key), moved == 1 ? "was" : "were");
    }
}

PackSink FileSink(OutputFile& out) {
    PackSink sink;
    sink.write = [&out](uint64_t offset, const void* data, size_t size, std::string& why) {
        return WriteOutputAt(out, offset, data, size, why);
    };
    sink.read = [&out](uint64_t offset, void* data, size_t size, std::string& why) {
        return ReadOutputAt(out, offset, data, size, why);
    };
    return sink;
}

// Packs inputs, a frame each, row by row into a temporary file that takes
// output's name only once it is whole, and says what it wrote. A failure
// names the input being read, or output when writing it failed.
int PackFiles(const std::string& output, const std::vector<std::string>& inputs, const PackOptions& options) {
    std::string error;
    OutputFile out;
    if (!OpenOutputFile(out, output.c_str(), error)) {
        return Fail(output, error);
    }
    std::vector<PackRows> pictures;
    for (const std::string& input : inputs) {
        pictures.push_back([&input](const PngSizeReader& onSize, const PngRowReader& onRow, std::string& why) {
            return ReadPngRows(input.c_str(), onSize, onRow, why, kMaxFrameSide);
        });
    }
    PackSummary summary;
    size_t packedFrames = 0;
    const auto onFrame = [&](const PackedFrame& packed) {
        CountFrame(summary, packed);
        NoteMovedPixels(inputs[packedFrames++], packed, options.colorKey);
    };
    PackSink sink = FileSink(out);
    if (!PackSpriteFile(sink, pictures, options, onFrame, error)) {
        DiscardOutputFile(out);
        return Fail(out.writeFailed || packedFrames >= inputs.size() ? output : inputs[packedFrames], error);
    }
    if (!CommitOutputFile(out, error)) {
        return Fail(output, error);
    }
    std::printf("%s\n", DescribePack(summary, output).c_str());
    return 0;
}

int RunPack(const char* help, int argc, char** argv) {
    static const std::vector<OptionDef> kOptions = {
        {"--output", "-o", true},   {"--hotspot", nullptr, true}, {"--offset", nullptr, true},
        {"--fixed", nullptr, true}, {"--key", nullptr, true},     {"--no-alpha", nullptr, false},
    };
    ParsedArgs args;
    if (const int status = ParseArgs(kProgram, help, argc, argv, 2, kOptions, args); status != kGoOn) {
        return status;
    }
    PackOptions options;
    if (const int status = ReadPackOptions(help, args, options); status != kGoOn) {
        return status;
    }
    const std::string* output = FindOption(args, "--output");
    if (!output || output->empty()) {
        return UsageError(kProgram, help, "pack needs an output file: -o OUT.spr");
    }
    if (args.positional.empty()) {
        return UsageError(kProgram, help, "pack needs at least one IN.png");
    }
    std::string error;
    if (OutputIsInput(*output, args.positional, error)) {
        return Fail(*output, error);
    }
    return PackFiles(*output, args.positional, options);
}

int RunUnpack(const char* help, int argc, char** argv) {
    static const std::vector<OptionDef> kOptions = {{"--frame", nullptr, true}};
    ParsedArgs args;
    std::string error;
    if (const int status = ParseArgs(kProgram, help, argc, argv, 2, kOptions, args); status != kGoOn) {
        return status;
    }
    long frameIndex = 0;
    const std::string* value = FindOption(args, "--frame");
    if (value && !ParseInteger(*value, 0, 999999999, frameIndex)) {
        return UsageError(kProgram, help, "--frame needs a frame number from 0, not \"" + *value + "\"");
    }
    if (args.positional.size() != 2) {
        return UsageError(kProgram, help, "unpack needs FILE.spr and OUT.png");
    }
    const std::string& input = args.positional[0];
    const std::string& output = args.positional[1];
    if (OutputIsInput(output, {input}, error)) {
        return Fail(output, error);
    }

    Sprite sprite;
    SpriteReadStatus status;
    if (!ReadSpriteForTool(input.c_str(), sprite, status, error)) {
        return Fail(input, error);
    }
    if (size_t(frameIndex) >= sprite.frames.size()) {
        return Fail(input, "has " + std::to_string(sprite.frames.size()) + " frame" +
                               (sprite.frames.size() == 1 ? "" : "s") + "; there is no frame " +
                               std::to_string(frameIndex));
    }
    PngImage image;
    if (!FrameToImage(sprite.frames[size_t(frameIndex)], image, error)) {
        return Fail(input, "frame " + std::to_string(frameIndex) + ": " + error);
    }
    if (!WritePng(output.c_str(), image, error)) {
        return Fail(output, error);
    }
    return 0;
}

// `spritetool NAME USAGE`: summary is its entry in the main help (lines
// apart by '\n'), help what `spritetool NAME --help` shows under the usage
// line, and run does the job, given that help for its messages.
struct Command {
    const char* name;
    const char* usage;
    const char* summary;
    const char* help;
    int (*run)(const char* help, int argc, char** argv);
};

const Command kCommands[] = {
    {"info", "FILE.spr", "show the header and every frame", kInfoHelp, RunInfo},
    {"pack", "IN.png [IN2.png ...] -o OUT.spr [options]",
     "make a SPRITE file, one frame per PNG\n(spritedemo draws only the first)", kPackHelp, RunPack},
    {"unpack", "FILE.spr OUT.png [--frame N]", "write one frame as an RGBA PNG", kUnpackHelp, RunUnpack},
};

std::string UsageLine(const std::string& arguments) {
    return std::string("usage: ") + kProgram + " " + arguments + "\n";
}

// Each summary starts in this column, beside a short usage or under a long one.
constexpr size_t kSummaryColumn = 36;

std::string MainHelp() {
    std::string help = UsageLine("COMMAND [ARGUMENTS]") +
                       "\nMakes and inspects SPRITE files, the sprite files of spritedemo.\n\nCommands:\n";
    const std::string indent(kSummaryColumn, ' ');
    for (const Command& command : kCommands) {
        std::string entry = std::string("  ") + command.name + " " + command.usage;
        entry += entry.size() + 2 <= kSummaryColumn ? std::string(kSummaryColumn - entry.size(), ' ') : "\n" + indent;
        for (const char* c = command.summary; *c != '\0'; ++c) {
            entry += *c == '\n' ? "\n" + indent : std::string(1, *c);
        }
        help += entry + "\n";
    }
    return help + "\n'spritetool COMMAND --help' describes a command and its options.\n"
                  "Exit status: 0 success, 1 failure, 2 usage error.\n";
}

int Run(int argc, char** argv) {
    const std::string mainHelp = MainHelp();
    if (argc < 2) {
        return UsageError(kProgram, mainHelp.c_str(), "no command given");
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        std::fputs(mainHelp.c_str(), stdout);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (name == command.name) {
            const std::string help = UsageLine(std::string(command.name) + " " + command.usage) + "\n" + command.help;
            return command.run(help.c_str(), argc, argv);
        }
    }
    return UsageError(kProgram, mainHelp.c_str(), "unknown command \"" + name + "\"");
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
