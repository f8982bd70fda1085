#pragma once
// The port as the rest of the terminal sees it: a handful of synchronous
// primitives. The real one is QtSerialPort; tests use FakeSerialPort or a pty.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace comtrax {

// Stop-bit codes as the terminal stores them: 0 = one, 1 = one and a half, 2 = two.
enum StopBitsCode : int { OneStop = 0, OneAndHalfStop = 1, TwoStop = 2 };

// Parity and flow control, beside the data and stop bits.
enum class Parity { None, Odd, Even, Mark, Space };
enum class FlowControl { None, RtsCts, XonXoff };
// Their names in CfgLine and on the command line, in the order of the values.
inline constexpr const char* ParityNames[] = {"none", "odd", "even", "mark", "space"};
inline constexpr const char* FlowNames[] = {"none", "rtscts", "xonxoff"};
// The value a name stands for in one of those tables; nothing for another
// name. Case, blanks and the separators of "RTS/CTS" or "xon-xoff" make no
// difference, wherever the name comes from.
template <typename Enum, std::size_t N>
std::optional<Enum> valueNamed(std::string_view name, const char* const (&names)[N])
{
    std::string plain;
    for (const char c : name) {
        if (c == ' ' || c == '\t' || c == '/' || c == '-' || c == '_')
            continue;
        plain += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    for (std::size_t i = 0; i < N; ++i)
        if (plain == names[i])
            return static_cast<Enum>(i);
    return std::nullopt;
}
struct LineOptions {
    Parity parity = Parity::None;
    FlowControl flow = FlowControl::None;
    bool operator==(const LineOptions&) const = default;
};

// The modem-control lines as the port reports them. valid is false when the
// device has no modem lines (a pty) or cannot tell; the other fields mean
// nothing then.
struct ModemLines {
    bool valid = false;
    bool cts = false;
    bool dsr = false;
    bool dcd = false;
    bool ri = false;
    bool dtr = false;
    bool rts = false;
    // Not known yet but may be told later (a device server still agreeing
    // the line, or not yet asked): worth reading again.
    bool later = false;
    // The baud asked at connect and the one the far end reports having set
    // (a device server); 0 when not reported.
    uint32_t askedBaud = 0;
    uint32_t reportedBaud = 0;
    bool operator==(const ModemLines&) const = default;
};

// Why the last open failed, as far as the system tells.
enum class OpenFailure {
    Unknown,
    PermissionDenied,
    Busy,         // opened exclusively by another program
    HeldByOther,  // another program holds the port's lock
    NoDevice,
    UnsupportedSetting,
    NotATerminal,    // a device that has no line settings (/dev/null, /dev/kmsg)
    UnsafeLockFile,  // the port's lock file is no regular file (a planted FIFO, a link)
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // The parity and flow control the next open sets (none and none until set).
    virtual void setLineOptions(const LineOptions& options) { lineOptions_ = options; }
    const LineOptions& lineOptions() const { return lineOptions_; }
    // Opens the named port exclusively with the line options set. DTR and RTS
    // are left as the system sets them on open (asserted); ModemControl sets
    // them as the user chose right after. Returns false if the port cannot be opened or the platform refuses
    // the configuration; in that case the port is left closed.
    virtual bool open(const std::string& name, int baud, int dataBits, int stopCode) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // True while the device is still there. False when no port is open, when a
    // USB adapter was pulled out, or when a pty's other end has closed.
    virtual bool probe() = 0;
    // Bytes waiting in the input queue; clears any line error condition.
    virtual uint32_t inputCount() = 0;
    // Reads up to n waiting bytes; returns how many were read (0 on failure).
    virtual uint32_t read(uint8_t* buffer, uint32_t n) = 0;
    // Discards everything queued in both directions.
    virtual void purge() = 0;
    // Hands the system as many of the n bytes as it takes now, without
    // waiting for room: a device that stops reading must never hold the
    // program. Returns how many it took, or -1 when the port refused them
    // (the line is gone).
    virtual int64_t write(const uint8_t* data, uint32_t n) = 0;
    // A file descriptor that becomes readable when bytes arrive, or -1.
    // Lets the window sleep instead of polling when nothing happens; the same
    // descriptor becomes writable when the output queue has room again.
    virtual int readNotifierHandle() const { return -1; }
    // Receiving on a thread of its own. That thread waits until
    // receiveHandle() is readable (poll) and then calls readReceived() until it
    // returns 0; these two are the only calls it makes. Every other call comes
    // from the window's thread and may come while the receive thread reads
    // (write, purge, the modem lines, probe): a port makes that safe. The
    // receive thread is stopped before close() and before the next open().
    virtual int receiveHandle() const { return readNotifierHandle(); }
    // Reads what is waiting without ever waiting for more: the count read, 0
    // when nothing is waiting, -1 when the port is not open or the device is
    // gone (a hung-up line, a closed connection).
    virtual int64_t readReceived(uint8_t* buffer, uint32_t n)
    {
        if (!isOpen())
            return -1;
        const uint32_t waiting = inputCount();
        return waiting == 0 ? 0 : read(buffer, waiting < n ? waiting : n);
    }
    // True while an open() that returned true is still reaching the device (a
    // port across the network resolving, connecting and agreeing the line
    // settings); the port then neither reads nor takes bytes yet. A failed
    // attempt ends it with probe() false and a notice.
    virtual bool connecting() { return false; }
    // What the port has to tell the user, once (why a connection failed or
    // was refused, a line setting the far end changed); empty when nothing.
    virtual std::string takeNotice() { return {}; }
    // The reason of the last failed open.
    virtual OpenFailure lastOpenFailure() const { return OpenFailure::Unknown; }
    // Who holds the port when the last open was refused because another
    // program has it, as "name (pid N)"; empty when the system does not tell.
    virtual std::string lastOpenHolder() const { return {}; }
    // The lock file that kept the last open from going ahead (UnsafeLockFile).
    virtual std::string lastOpenLockFile() const { return {}; }

    // Modem control on the open port: assert (true) or drop a line, start
    // (true) or end a break. Each returns false when the device refused or has
    // no such line (a pty); that is no error of the connection.
    virtual bool setDtr(bool) { return false; }
    virtual bool setRts(bool) { return false; }
    virtual bool setBreak(bool) { return false; }
    // The lines now; invalid when no port is open or the device cannot tell.
    virtual ModemLines modemLines() { return {}; }

private:
    LineOptions lineOptions_;
};

// One port of the list with what the system tells about its device. Every
// field but the name may be empty (a built-in port, a pty, a link).
struct PortInfo {
    std::string name;          // what open() takes: "ttyUSB0", or a path
    std::string description;   // "CP2102 USB to UART Bridge Controller"
    std::string serialNumber;  // the USB serial number
    std::string vendorId;      // USB vendor and product, as hex digits
    std::string productId;
    std::string location;  // where the device is plugged in (stays when the name changes)
};

// The list of ports present, in the order the system gives them.
class PortLister {
public:
    virtual ~PortLister() = default;
    virtual std::vector<std::string> listPorts() = 0;
    // The same list with what is known of each device; a lister that knows
    // only names gives them bare.
    virtual std::vector<PortInfo> listPortInfos()
    {
        std::vector<PortInfo> infos;
        for (std::string& name : listPorts())
            infos.push_back(PortInfo{std::move(name), {}, {}, {}, {}, {}});
        return infos;
    }
};

}  // namespace comtrax
