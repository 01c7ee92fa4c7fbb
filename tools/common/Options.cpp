#include "tools/common/Options.h"

#include "platform/ShownText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const std::string* FindOption(const ParsedArgs& args, const char* name) {
    for (const auto& option : args.options) {
        if (option.first == name) {
            return &option.second;
        }
    }
    return nullptr;
}

namespace {

bool ParseOptions(int argc, char** argv, int first, const std::vector<OptionDef>& known, ParsedArgs& args, bool& help,
                  std::string& error) {
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            args.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            help = true;
            continue;
        }
        std::string name = arg, value;
        const size_t equals = arg.find('=');
        const bool inlineValue = arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (inlineValue) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        const OptionDef* def = nullptr;
        for (const OptionDef& candidate : known) {
            if (name == candidate.name || (candidate.shortName != nullptr && name == candidate.shortName)) {
                def = &candidate;
            }
        }
        if (def == nullptr) {
            error = "unknown option " + name;
            return false;
        }
        if (FindOption(args, def->name) != nullptr) {
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

} // namespace

int ParseArgs(const char* program, const char* help, int argc, char** argv, int first,
              const std::vector<OptionDef>& known, ParsedArgs& args) {
    bool helpWanted = false;
    std::string error;
    if (!ParseOptions(argc, argv, first, known, args, helpWanted, error)) {
        return UsageError(program, help, error);
    }
    if (helpWanted) {
        std::fputs(help, stdout);
        return 0;
    }
    return kGoOn;
}

bool ParseInteger(const std::string& text, long low, long high, long& value) {
    // Digits only: strtol alone would also take spaces, a plus sign and "0x".
    const size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() <= digits || text.size() > digits + 9 ||
        text.find_first_not_of("0123456789", digits) != std::string::npos) {
        return false;
    }
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParsePair(const std::string& text, long low, long high, long& x, long& y) {
    const size_t comma = text.find(',');
    return comma != std::string::npos && ParseInteger(text.substr(0, comma), low, high, x) &&
           ParseInteger(text.substr(comma + 1), low, high, y);
}

int UsageError(const char* program, const char* help, const std::string& message) {
    const char* end = std::strchr(help, '\n');
    const int length = end != nullptr ? static_cast<int>(end - help) : static_cast<int>(std::strlen(help));
    std::fprintf(stderr, "%s: %s\n%.*s\n", program, message.c_str(), length, help);
    return kExitUsage;
}

int FileFailure(const char* program, const std::string& file, const std::string& reason) {
    // A reason may quote the file (a decoder's message): never let it drive the terminal.
    std::fprintf(stderr, "%s: %s: %s\n", program, file.c_str(), ShowControlBytes(reason).c_str());
    return kExitFailure;
}
