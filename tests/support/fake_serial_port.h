#pragma once
// A scripted serial port: tests queue input, read what was written, and make
// the open or the probe fail.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/clock.h"
#include "serial/serial_port.h"

namespace comtrax::testing {

class FakeSerialPort : public SerialPort {
public:
    struct OpenCall {
        std::string name;
        int baud, dataBits, stopCode;
        LineOptions line;
    };
    // Everything that happened, in order: "open", "close", "purge", "write:<hex>".
    std::vector<std::string> calls;
    std::vector<OpenCall> opens;
    std::string written;  // all bytes written since construction
    std::string input;    // bytes waiting to be read
    bool failOpen = false;
    OpenFailure failure = OpenFailure::Unknown;  // reported after a failed open
    bool deviceGone = false;                     // probe fails while set
    bool opened = false;
    uint32_t maxPerRead = 0xFFFFFFFF;  // caps one read (0xFFFFFFFF: no cap)
    // Room left in the output queue: a device that stopped reading takes no
    // more once it is used up (-1: unlimited). failWrites: the line is gone.
    int64_t writeRoom = -1;
    bool failWrites = false;
    std::vector<std::string> availablePorts{"ttyUSB0"};
    // When set, only the names it accepts open (the others fail as absent).
    std::function<bool(const std::string& name)> present;
    std::string holder;    // reported after a failed open
    std::string lockFile;  // reported after a failed open

    // Modem control, in order: "dtr=1", "rts=0", "break=1", each at the time
    // of `clock` in milliseconds since Monday (-1 without a clock).
    struct ModemCall {
        std::string what;
        int32_t atMs;
        bool operator==(const ModemCall&) const = default;
    };
    std::vector<ModemCall> modemCalls;
    const Clock* clock = nullptr;
    bool hasModemLines = true;  // false: a pty, which refuses every modem call
    ModemLines lines{true, false, false, false, false, true, true};  // the device's side: CTS DSR DCD RI
    bool inBreak = false;
    // A port that connects in the background (across the network): true
    // while it is still connecting; notice is told once by takeNotice().
    bool connectingNow = false;
    std::string notice;
    bool connecting() override { return opened && connectingNow; }
    std::string takeNotice() override { return std::exchange(notice, {}); }

    bool open(const std::string& name, int baud, int dataBits, int stopCode) override;
    void close() override;
    bool isOpen() const override { return opened; }
    OpenFailure lastOpenFailure() const override { return failure; }
    std::string lastOpenHolder() const override { return holder; }
    std::string lastOpenLockFile() const override { return lockFile; }
    bool probe() override { return opened && !deviceGone; }
    uint32_t inputCount() override { return opened ? static_cast<uint32_t>(input.size()) : 0; }
    uint32_t read(uint8_t* buffer, uint32_t n) override;
    void purge() override;
    int64_t write(const uint8_t* data, uint32_t n) override;
    bool setDtr(bool on) override { return modemCall("dtr", on, lines.dtr); }
    bool setRts(bool on) override { return modemCall("rts", on, lines.rts); }
    bool setBreak(bool on) override { return modemCall("break", on, inBreak); }
    ModemLines modemLines() override { return opened && hasModemLines ? lines : ModemLines{}; }
    // The modem calls as "dtr=0" texts, without their times.
    std::vector<std::string> modemCallNames() const;

private:
    bool modemCall(const char* line, bool on, bool& state);

public:
    void feed(const std::string& bytes) { input += bytes; }
    std::string takeWritten()
    {
        std::string w;
        w.swap(written);
        return w;
    }
};

class FakePortLister : public PortLister {
public:
    std::vector<std::string> ports;
    // With infos set, the listing with device details (listPorts stays the names).
    std::vector<PortInfo> infos;
    std::vector<std::string> listPorts() override { return ports; }
    std::vector<PortInfo> listPortInfos() override
    {
        return infos.empty() ? PortLister::listPortInfos() : infos;
    }
};

// "01 02 0D" -> bytes; "414243" style without blanks is also accepted.
std::string hexBytes(const std::string& spaced);
// bytes -> "01 02 0D"
std::string toHex(const std::string& bytes);

}  // namespace comtrax::testing
