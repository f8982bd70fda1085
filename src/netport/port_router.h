#pragma once
// The port the window drives: a network name (tcp://, rfc2217://) opens the
// network port, any other name the system's serial port. Every call goes to
// the one opened last.
#include <functional>
#include <string>

#include "serial/serial_port.h"

namespace comtrax {

class PortRouter final : public SerialPort {
public:
    PortRouter(SerialPort& local, SerialPort& network) : local_(local), network_(network) {}

    void setLineOptions(const LineOptions& options) override;
    bool open(const std::string& name, int baud, int dataBits, int stopCode) override;
    void close() override { active_->close(); }
    bool isOpen() const override { return active_->isOpen(); }
    bool probe() override { return active_->probe(); }
    uint32_t inputCount() override { return active_->inputCount(); }
    uint32_t read(uint8_t* buffer, uint32_t n) override { return active_->read(buffer, n); }
    void purge() override { active_->purge(); }
    int64_t write(const uint8_t* data, uint32_t n) override { return active_->write(data, n); }
    int readNotifierHandle() const override { return active_->readNotifierHandle(); }
    int receiveHandle() const override { return active_->receiveHandle(); }
    int64_t readReceived(uint8_t* buffer, uint32_t n) override { return active_->readReceived(buffer, n); }
    bool connecting() override;
    std::string takeNotice() override { return active_->takeNotice(); }
    OpenFailure lastOpenFailure() const override { return active_->lastOpenFailure(); }
    std::string lastOpenHolder() const override { return active_->lastOpenHolder(); }
    std::string lastOpenLockFile() const override { return active_->lastOpenLockFile(); }
    bool setDtr(bool on) override { return active_->setDtr(on); }
    bool setRts(bool on) override { return active_->setRts(on); }
    bool setBreak(bool on) override { return active_->setBreak(on); }
    ModemLines modemLines() override { return active_->modemLines(); }

    // Told the name of a network port once its connection is made (for the
    // recently used ports).
    void setConnectedListener(std::function<void(const std::string&)> listener)
    {
        connectedListener_ = std::move(listener);
    }
    // Whether the port opened last is a network one.
    bool networkActive() const { return active_ == &network_; }

private:
    SerialPort& local_;
    SerialPort& network_;
    SerialPort* active_ = &local_;
    std::string networkName_;
    bool networkConnecting_ = false;
    std::function<void(const std::string&)> connectedListener_;
};

}  // namespace comtrax
