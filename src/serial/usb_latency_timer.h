#pragma once
// The latency timer of a USB serial adapter (FTDI and kin): the adapter holds
// received bytes up to that many milliseconds before it hands them to the
// system, so gaps shorter than it vanish before any program sees them. Linux
// shows it to every user in sysfs; nothing here needs root or changes it.
#include <optional>
#include <string>

namespace comtrax {

// Where the system lists its USB serial ports, one directory per port name.
inline constexpr const char* UsbSerialDevicesDir = "/sys/bus/usb-serial/devices";

// The timer in ms of the port known to the terminal as port ("ttyUSB0", or a
// path such as "/dev/ttyUSB0" or a /dev/serial/by-id link), read from
// devicesDir/<name>/latency_timer. Nothing for a port without one (a built-in
// port, a pty, a network port) and for anything that is not a short number
// in a plain file: what is read there is taken as untrusted.
std::optional<int> usbLatencyTimerMs(const std::string& port,
                                     const std::string& devicesDir = UsbSerialDevicesDir);

}  // namespace comtrax
