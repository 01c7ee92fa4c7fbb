#include "bunnymark/Options.h"

#include "bunnymark/Bunnymark.h"
#include "tools/common/Options.h"

#include <vector>

namespace {

const char kProgram[] = "spritedemo-bunnymark";

} // namespace

int ParseBunnymarkArgs(int argc, char** argv, const char* usage, std::string* output) {
    std::vector<OptionDef> known = {
        {"--bunnies", nullptr, true}, {"--seed", nullptr, true}, {"--frames", nullptr, true}};
    if (output != nullptr) {
        known.push_back({"--output", "-o", true});
    }
    ParsedArgs args;
    if (const int status = ParseArgs(kProgram, usage, argc, argv, 1, known, args); status != kGoOn) {
        return status;
    }
    if (!args.positional.empty()) {
        return UsageError(kProgram, usage, "unexpected argument \"" + args.positional[0] + "\"");
    }
    const struct {
        const char* name;
        long low, high;
        long* value;
    } numbers[] = {{"--bunnies", 0, kMaxBunnies, &g_bunnymark.bunnies},
                   {"--seed", 0, 999999999, &g_bunnymark.seed},
                   {"--frames", 1, 999999999, &g_bunnymark.frames}};
    for (const auto& number : numbers) {
        const std::string* value = FindOption(args, number.name);
        if (value != nullptr && !ParseInteger(*value, number.low, number.high, *number.value)) {
            return UsageError(kProgram, usage,
                              std::string(number.name) + " needs a whole number " + std::to_string(number.low) + ".." +
                                  std::to_string(number.high) + ", not \"" + *value + "\"");
        }
    }
    if (output != nullptr) {
        const std::string* given = FindOption(args, "--output");
        if (given == nullptr || given->empty()) {
            return UsageError(kProgram, usage, "no output file: give -o OUT.png");
        }
        *output = *given;
    }
    return kGoOn;
}
