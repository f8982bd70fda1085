#pragma once
// Shared pieces of the fuzz targets: a scratch directory per process, a check
// that aborts (so libFuzzer and the replay both see a failure), a byte reader
// that never runs off its input, and plain file helpers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace comtrax::fuzz {

// A directory of our own, made on first use and removed at exit. On tmpfs where
// there is one: every input writes files, and a disk would slow fuzzing down.
const std::string& scratchDir();
std::string scratchFile(const std::string& name);

[[noreturn]] void checkFailed(const char* expr, const char* file, int line, const std::string& detail);

// Reads a file whole; an absent file gives an empty string.
std::string readFile(const std::string& path);
// The same into a buffer kept between inputs: the command-list files are 10 MB,
// and fresh pages for every run would cost more than the code under test.
void readFileTo(const std::string& path, std::string& out);
// Writes bytes as the whole file (not atomically: the readers must cope with
// any file, and this is how a foreign one arrives).
void writeFile(const std::string& path, std::string_view bytes);
void removeFile(const std::string& path);

// Takes values from the front of the fuzzer's input; once it is used up every
// value is 0, so a script always ends.
class ByteReader {
public:
    ByteReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::size_t remaining() const { return size_ - pos_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t u16()
    {
        const uint16_t lo = byte();
        return static_cast<uint16_t>(lo | (uint16_t(byte()) << 8));
    }
    uint32_t u32()
    {
        const uint32_t lo = u16();
        return lo | (uint32_t(u16()) << 16);
    }
    // Up to n bytes (fewer at the end of the input).
    std::string bytes(std::size_t n)
    {
        n = n < remaining() ? n : remaining();
        std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return out;
    }
    std::string rest() { return bytes(remaining()); }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// "01 02 0D": how test failures show bytes.
std::string hexDump(std::string_view bytes, std::size_t limit = 64);

}  // namespace comtrax::fuzz

#define FUZZ_CHECK(cond, detail)                                                                             \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            ::comtrax::fuzz::checkFailed(#cond, __FILE__, __LINE__, (detail));                               \
    } while (0)

// Every target defines this; libFuzzer or the replay driver calls it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);
