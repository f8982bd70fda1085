#pragma once
// The real port, over QSerialPort, and the real port list, over QSerialPortInfo.
#include <memory>

#include "serial/serial_port.h"

class QSerialPort;

namespace comtrax {

class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    bool open(const std::string& name, int baud, int dataBits, int stopCode) override;
    void close() override;
    bool isOpen() const override;
    bool probe() override;
    uint32_t inputCount() override;
    uint32_t read(uint8_t* buffer, uint32_t n) override;
    void purge() override;
    void write(const uint8_t* data, uint32_t n) override;
    int readNotifierHandle() const override;

private:
    std::unique_ptr<QSerialPort> port_;
};

class QtPortLister final : public PortLister {
public:
    std::vector<std::string> listPorts() override;
};

}  // namespace comtrax
