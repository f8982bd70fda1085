#pragma once
// The real port, over QSerialPort; the real port list beside it.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "qtserial/qt_lock_file.h"
#include "qtserial/qt_port_lister.h"
#include "serial/serial_port.h"

class QSerialPort;

namespace comtrax {

// QSerialPort does the open: the lock file, the exclusive mode and the line
// settings, on Linux and Windows alike. Input and output go through the
// descriptor directly, because QSerialPort moves bytes only when the event loop
// runs and the terminal's primitives must work synchronously inside a handler.
class QtSerialPort final : public SerialPort {
public:
    // qtLockDirs: where QSerialPort looks for the port's lock file, checked
    // before every open (the system's list unless a test gives its own).
    explicit QtSerialPort(std::vector<std::string> qtLockDirs = qtLockDirectories());
    ~QtSerialPort() override;

    bool open(const std::string& name, int baud, int dataBits, int stopCode) override;
    OpenFailure lastOpenFailure() const override { return failure_; }
    std::string lastOpenHolder() const override { return holder_; }
    std::string lastOpenLockFile() const override { return lockFile_; }
    void close() override;
    bool isOpen() const override;
    bool probe() override;
    uint32_t inputCount() override;
    uint32_t read(uint8_t* buffer, uint32_t n) override;
#ifndef _WIN32
    int64_t readReceived(uint8_t* buffer, uint32_t n) override;
#endif
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
    std::vector<std::string> qtLockDirs_;
    int baud_ = 9600;
    bool breakOn_ = false;  // a break this program started and has not ended
    OpenFailure failure_ = OpenFailure::Unknown;
    std::string holder_;    // who has the port, when the last open found it taken
    std::string lockFile_;  // the lock file that kept the last open from going ahead
    // The descriptor found non-blocking by the receive side, -1 for none: it
    // is read without a poll first. Forgotten at close, as the number may
    // come back for another file.
    std::atomic<int> nonBlockingFd_{-1};
};

}  // namespace comtrax
