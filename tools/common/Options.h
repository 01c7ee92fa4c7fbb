// The command line of every tool, one way: options as "--name VALUE" or
// "--name=VALUE" before, between or after the other arguments, "--" ends
// them, a repeated option is an error; "-h" and "--help" ask for the help.
// Messages are "PROG: reason", "PROG: FILE: reason" for a file, and a usage
// error ends with the tool's "usage:" line. Exit status 0 success, 1 a failed
// job, 2 bad usage.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct OptionDef {
    const char* name;      // long name, "--name"
    const char* shortName; // "-o", or nullptr
    bool takesValue;
};

struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options; // long name, value
};

// What ParseArgs returns when the tool is to go on with its job.
constexpr int kGoOn = -1;

// Parses argv[first] onwards against the known options. Otherwise than
// kGoOn it returns the exit status: 0 once help is printed for -h or --help,
// kExitUsage after a usage error (an unknown or repeated option, a missing or
// unwanted value).
int ParseArgs(const char* program, const char* help, int argc, char** argv, int first,
              const std::vector<OptionDef>& known, ParsedArgs& args);

// The value of an option that was given (empty for one without a value).
const std::string* FindOption(const ParsedArgs& args, const char* name);

// A decimal integer, optionally negative, from low to high.
bool ParseInteger(const std::string& text, long low, long high, long& value);

// "X,Y", both from low to high.
bool ParsePair(const std::string& text, long low, long high, long& x, long& y);

// "PROG: message" and the usage line (the first line of help) on standard
// error; returns kExitUsage.
int UsageError(const char* program, const char* help, const std::string& message);

// "PROG: FILE: reason" on standard error; returns kExitFailure.
int FileFailure(const char* program, const std::string& file, const std::string& reason);
