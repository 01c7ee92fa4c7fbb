// An output file that appears under its name only when it is complete: it is
// written to a temporary file in the same directory ("NAME.tmp-XXXXXX") and
// renamed at the end, so a failed or interrupted run never leaves a partial
// file under the real name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct OutputFile {
    std::string path;
    std::string tempPath;
    FILE* file = nullptr;
    bool writeFailed = false; // by WriteOutputAt or ReadOutputAt: the output, not an input, failed
};

// Creates the temporary file and opens it for binary writing.
bool OpenOutputFile(OutputFile& out, const char* path, std::string& error);

// Closes the temporary file and renames it to the real name. On any failure
// the temporary file is removed and false is returned with the reason.
bool CommitOutputFile(OutputFile& out, std::string& error);

// Closes and removes the temporary file; the real name is left untouched.
void DiscardOutputFile(OutputFile& out);

// Writes size bytes at offset of the temporary file, past stdio, so that a
// file can be filled in any order. On failure writeFailed is set too.
bool WriteOutputAt(OutputFile& out, uint64_t offset, const void* data, size_t size, std::string& error);

// Reads back size bytes from offset; zeros where nothing was written yet.
bool ReadOutputAt(OutputFile& out, uint64_t offset, void* data, size_t size, std::string& error);

// True, with the reason, when output already is one of inputs (the same
// device and inode, whatever the names): writing it would destroy that input.
bool OutputIsInput(const std::string& output, const std::vector<std::string>& inputs, std::string& reason);
