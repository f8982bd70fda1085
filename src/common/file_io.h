#pragma once
// Whole-file reads and the one way every data file of the terminal is rewritten:
// a temporary file in the same directory, flushed and renamed over the old one,
// so a crash or a full disk never leaves a half-written file behind.
#include <string>

namespace comtrax {

struct FileResult {
    bool ok = true;
    std::string error;  // human-readable reason when !ok
    explicit operator bool() const { return ok; }
    static FileResult failure(std::string why) { return {false, std::move(why)}; }
};

bool fileExists(const std::string& path);
// Reads the whole file into out. A missing file is a failure.
FileResult readWholeFile(const std::string& path, std::string& out);
// Reads at most maxBytes from the start of the file.
FileResult readFilePrefix(const std::string& path, std::size_t maxBytes, std::string& out);
// Writes bytes to path atomically (temporary file + fsync + rename).
FileResult replaceFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace comtrax
