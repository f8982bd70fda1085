#pragma once
// The real port, over QSerialPort, and the real port list, over QSerialPortInfo
// plus the pseudo-terminal links a user makes in /dev for virtual ports.
#include <memory>
#include <string>

#include "serial/serial_port.h"

class QSerialPort;

namespace comtrax {

// QSerialPort does the open: the lock file, the exclusive mode and the line
// settings, on Linux and Windows alike. Input and output go through the
// descriptor directly, because QSerialPort moves bytes only when the event loop
// runs and the terminal's primitives must work synchronously inside a handler.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    bool open(const std::string& name, int baud, int dataBits, int stopCode) override;
    OpenFailure lastOpenFailure() const override { return failure_; }
    std::string lastOpenHolder() const override { return holder_; }
    void close() override;
    bool isOpen() const override;
    bool probe() override;
    uint32_t inputCount() override;
    uint32_t read(uint8_t* buffer, uint32_t n) override;
    void purge() override;
    int64_t write(const uint8_t* data, uint32_t n) override;
    int readNotifierHandle() const override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    bool setBreak(bool on) override;
    ModemLines modemLines() override;

    // "ttyUSB0" -> "/dev/ttyUSB0"; a name with a slash is already a path.
    static std::string devicePath(const std::string& name);

private:
    std::unique_ptr<QSerialPort> port_;
    int baud_ = 9600;
    OpenFailure failure_ = OpenFailure::Unknown;
    std::string holder_;  // who has the port, when the last open found it taken
};

class QtPortLister final : public PortLister {
public:
    // devDir is where the pseudo-terminal links are looked for ("/dev").
    explicit QtPortLister(std::string devDir = "/dev");
    std::vector<std::string> listPorts() override;
    // The system's ports with what it tells of their devices, then the pty
    // links, then the persistent links of /dev/serial/by-id (by their paths).
    std::vector<PortInfo> listPortInfos() override;

    // Names of the links directly in devDir that point at a live /dev/pts/N,
    // sorted by name.
    std::vector<std::string> ptyLinks() const;
    // Paths of the links in devDir/serial/by-id that lead to a character
    // device, sorted.
    std::vector<std::string> byIdLinks() const;

private:
    std::string devDir_;
};

}  // namespace comtrax
