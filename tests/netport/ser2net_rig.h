#pragma once
// A ser2net started for a test: on 127.0.0.1 only, each accepter on a free
// port with a pseudo-terminal pair behind it (ser2net has one end, the test
// the other). Stopped, and its files removed, when the rig goes.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace comtrax::testing {

struct PtyPair {
    int master = -1;  // the test's end
    int slave = -1;   // kept open so the line settings ser2net sets can be read
    std::string path;
};

class Ser2netRig {
public:
    // devToNetBuffer: ser2net's buffer from the device to the network (its
    // own default when 0), which sets how much each of its sends carries.
    explicit Ser2netRig(int devToNetBuffer = 0);
    ~Ser2netRig();
    Ser2netRig(const Ser2netRig&) = delete;
    Ser2netRig& operator=(const Ser2netRig&) = delete;

    static bool available();
    // Starts (or starts again, on the same ports) and waits until both accept.
    bool start();
    void kill();

    uint16_t rawPort() const { return rawPort_; }
    uint16_t telnetPort() const { return telnetPort_; }
    PtyPair& rawPty() { return raw_; }
    PtyPair& telnetPty() { return telnet_; }

private:
    TempDir dir_;
    PtyPair raw_;
    PtyPair telnet_;
    uint16_t rawPort_ = 0;
    uint16_t telnetPort_ = 0;
    pid_t pid_ = -1;
};

// A port on 127.0.0.1 nobody listens on now.
uint16_t freeLoopbackPort();
// Reads from fd (non-blocking) until want bytes came or seconds passed.
std::vector<uint8_t> readFor(int fd, std::size_t want, double seconds);
// The line settings of a terminal as the kernel holds them (TCGETS2).
struct LineSettings {
    unsigned baud = 0;
    int dataBits = 0;
    bool parity = false;
    bool oddParity = false;
    bool twoStopBits = false;
    bool operator==(const LineSettings&) const = default;
};
LineSettings lineSettingsOf(int fd);

}  // namespace comtrax::testing
