#include "serial/qt_serial_port.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace comtrax {

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()) {}
QtSerialPort::~QtSerialPort() = default;

bool QtSerialPort::open(const std::string&, int, int, int) { return false; }
void QtSerialPort::close() { port_->close(); }
bool QtSerialPort::isOpen() const { return port_->isOpen(); }
bool QtSerialPort::probe() { return false; }
uint32_t QtSerialPort::inputCount() { return 0; }
uint32_t QtSerialPort::read(uint8_t*, uint32_t) { return 0; }
void QtSerialPort::purge() {}
void QtSerialPort::write(const uint8_t*, uint32_t) {}
int QtSerialPort::readNotifierHandle() const { return -1; }

std::vector<std::string> QtPortLister::listPorts()
{
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names.push_back(info.portName().toStdString());
    return names;
}

}  // namespace comtrax
