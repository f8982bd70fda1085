#pragma once
// The far end of a pseudo-terminal, playing a device that talks to the program:
// it streams a byte pattern that can be checked byte for byte in the log file.
#include <cstdint>
#include <string>

namespace comtrax::bench {

// Byte i of the stream. Every value but 0, LF and CR occurs (the terminal shows
// a zero as "<NULL>" and turns CR into a line break, so those would not come
// back from the log file unchanged), and the sequence never repeats within any
// stretch the terminal buffers, so a lost, doubled or swapped chunk shows.
//
// The text pattern keeps to printable ASCII (0x20..0x7E), what most devices
// send; the binary one is the worst case for the display.
enum class Pattern { Text, Binary };
uint8_t patternByte(uint64_t i, Pattern kind = Pattern::Binary);
std::string pattern(uint64_t from, uint64_t count, Pattern kind = Pattern::Binary);
Pattern patternNamed(const std::string& name);

// Compares a log file, line breaks taken out, with the first `count` bytes of
// the pattern.
struct LogCheck {
    uint64_t expected = 0;
    uint64_t got = 0;
    uint64_t lost = 0;           // expected - got when fewer came back
    int64_t firstMismatch = -1;  // offset of the first differing byte, -1 if none
    bool intact = false;         // byte for byte the pattern
};
LogCheck checkLog(const std::string& logBytes, uint64_t count, Pattern kind);

class PtyDevice {
public:
    // Opens the pair in raw mode. With keepSlave false the device holds only the
    // master, so that the program's open and close of the slave can be seen.
    explicit PtyDevice(bool keepSlave);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    const std::string& slavePath() const { return path_; }
    int master() const { return master_; }

    // True once a process has the slave open (the master stops reporting a
    // hang-up), false when maxMs passed first.
    bool waitPeerOpen(int maxMs);
    // True while a process has the slave open.
    bool peerOpen() const;

    // Writes all of data unless the peer stops reading for stallMs; returns the
    // number of bytes written.
    std::size_t writeAll(const char* data, std::size_t n, int stallMs);
    // Reads whatever is waiting without blocking.
    std::string drain();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace comtrax::bench
