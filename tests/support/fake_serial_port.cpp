#include "support/fake_serial_port.h"

#include <cctype>
#include <algorithm>
#include <cstdio>

namespace comtrax::testing {

bool FakeSerialPort::open(const std::string& name, int baud, int dataBits, int stopCode)
{
    calls.push_back("open");
    opens.push_back({name, baud, dataBits, stopCode, lineOptions()});
    if (failOpen)
        return false;
    if (present && !present(name)) {
        failure = OpenFailure::NoDevice;
        return false;
    }
    opened = true;
    return true;
}

bool FakeSerialPort::modemCall(const char* line, bool on, bool& state)
{
    modemCalls.push_back({std::string(line) + (on ? "=1" : "=0"), clock ? weekTimeMs(clock->now()) : -1});
    if (!opened || !hasModemLines)
        return false;
    state = on;
    return true;
}

std::vector<std::string> FakeSerialPort::modemCallNames() const
{
    std::vector<std::string> names;
    for (const ModemCall& c : modemCalls)
        names.push_back(c.what);
    return names;
}

void FakeSerialPort::close()
{
    calls.push_back("close");
    opened = false;
}

uint32_t FakeSerialPort::read(uint8_t* buffer, uint32_t n)
{
    if (!opened)
        return 0;
    uint32_t got = static_cast<uint32_t>(std::min<std::size_t>(n, input.size()));
    got = std::min(got, maxPerRead);
    for (uint32_t i = 0; i < got; ++i)
        buffer[i] = static_cast<uint8_t>(input[i]);
    input.erase(0, got);
    return got;
}

void FakeSerialPort::purge()
{
    calls.push_back("purge");
    input.clear();
}

int64_t FakeSerialPort::write(const uint8_t* data, uint32_t n)
{
    if (failWrites)
        return -1;
    uint32_t taken = n;
    if (writeRoom >= 0) {
        taken = static_cast<uint32_t>(std::min<int64_t>(n, writeRoom));
        writeRoom -= taken;
    }
    if (taken == 0)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data), taken);
    calls.push_back("write:" + toHex(bytes));
    written += bytes;
    return taken;
}

std::string hexBytes(const std::string& spaced)
{
    std::string digits;
    for (char c : spaced)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    std::string out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return out;
}

std::string toHex(const std::string& bytes)
{
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", static_cast<unsigned char>(bytes[i]));
        out += buf;
    }
    return out;
}

}  // namespace comtrax::testing
