#pragma once
// A port across the network: "tcp://HOST:PORT" carries the bytes as they
// are, "rfc2217://HOST:PORT" speaks Telnet with COM-PORT-CONTROL, so that the
// line settings and modem lines reach the device server. open() only starts
// the connection: the name is resolved and the host reached on a thread of
// its own, and connecting() tells when that has ended. The receive handle
// stays the same descriptor from open() to close() (the socket takes its
// number once connected), so a thread can wait on it throughout.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "serial/serial_port.h"
#include "telnet/network_address.h"

namespace comtrax {

class Clock;
class NetConnector;
class TelnetEngine;

class NetworkPort final : public SerialPort {
public:
    struct Timing {
        int connectTimeoutMs = 5000;
        int64_t replyTimeoutNs = 3000000000;  // the line settings' acknowledgements
        int64_t modemPollNs = 1000000000;     // modem lines asked for when not told this long
    };
    explicit NetworkPort(const Clock& clock);
    NetworkPort(const Clock& clock, Timing timing);
    ~NetworkPort() override;

    bool open(const std::string& name, int baud, int dataBits, int stopCode) override;
    void close() override;
    bool isOpen() const override;
    bool probe() override;
    uint32_t inputCount() override;
    uint32_t read(uint8_t* buffer, uint32_t n) override;
    void purge() override;
    int64_t write(const uint8_t* data, uint32_t n) override;
    int readNotifierHandle() const override;
    int64_t readReceived(uint8_t* buffer, uint32_t n) override;
    bool connecting() override;
    std::string takeNotice() override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    bool setBreak(bool on) override;
    ModemLines modemLines() override;

    // What the server reported of its line (rfc2217:// only).
    std::optional<uint32_t> serverBaud() const;

    // What the port holds in memory now (its buffers' capacity), for tests of
    // hostile servers.
    std::size_t bufferedBytes() const;

    // Data waiting at most this long is read from the socket at a time.
    static constexpr std::size_t MaxBuffered = 4u << 20;
    // Bytes taken to send but not yet sent at most.
    static constexpr std::size_t MaxPendingOut = 256u << 10;

private:
    enum class State { Closed, Connecting, Connected, Failed };
    void settle();
    void pump();
    void flush();
    void fail(std::string text);
    void release();
    uint32_t waiting() const { return static_cast<uint32_t>(rx_.size() - rxPos_); }
    uint32_t take(uint8_t* buffer, uint32_t n);
    int64_t readDirect(uint8_t* buffer, uint32_t n);
    int64_t receiveSome(uint8_t* into, std::size_t room);
    bool firstBytesFit(const uint8_t* bytes, std::size_t n);
    void failTelnetOnRaw();
    void failNotTelnet();
    bool notTelnetFromTheStart(const uint8_t* bytes, std::size_t n);
    bool control(uint8_t value);

    const Clock& clock_;
    Timing timing_;
    mutable std::mutex mutex_;
    State state_ = State::Closed;
    std::optional<NetworkAddress> address_;
    std::unique_ptr<NetConnector> connector_;
    std::unique_ptr<TelnetEngine> engine_;
    int handle_ = -1;
    bool socketReady_ = false;
    bool peerClosed_ = false;
    bool released_ = false;   // the line settings' wait is over
    bool firstBytes_ = true;  // nothing has arrived yet
    bool drained_ = false;    // the last read emptied the socket
    std::vector<uint8_t> rx_;
    std::size_t rxPos_ = 0;
    std::vector<uint8_t> held_;  // data arriving before the line settings were acknowledged
    std::vector<uint8_t> tx_;
    std::vector<uint8_t> scratch_;
    std::string notice_;
    int baud_ = 0;
    int dataBits_ = 8;
    int stopCode_ = OneStop;
    bool dtr_ = true;
    bool rts_ = true;
};

}  // namespace comtrax
