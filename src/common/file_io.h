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
// Reads at most capacity bytes from the start of the file straight into buf;
// got is the number of bytes read. For large fixed images that must not be
// copied through an intermediate string.
FileResult readFileInto(const std::string& path, void* buf, std::size_t capacity, std::size_t& got);
// Writes bytes to path atomically (temporary file + fsync + rename).
FileResult replaceFileAtomically(const std::string& path, const std::string& bytes);
FileResult replaceFileAtomically(const std::string& path, const void* data, std::size_t size);

}  // namespace comtrax
