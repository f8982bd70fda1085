#include "serial/port_access.h"

#include <charconv>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "common/terminal_view.h"
#include "common/texts.h"
#include "serial/port_path.h"

namespace comtrax {

namespace {

// The toolkit's strict integer conversion: optional blanks and sign, decimal digits only.
bool toInteger(const std::string& text, int& value)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::size_t end = text.size();
    while (end > i && text[end - 1] == ' ')
        --end;
    if (i < end && text[i] == '+')
        ++i;
    if (i == end)
        return false;
    const char* first = text.data() + i;
    const char* last = text.data() + end;
    const auto r = std::from_chars(first, last, value);
    return r.ec == std::errc() && r.ptr == last;
}

std::string conversionError(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}

bool isCharacterDevice(const std::string& path)
{
#ifdef _WIN32
    (void)path;
    return false;
#else
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
#endif
}

}  // namespace

std::vector<std::string> fallbackPortNames()
{
#ifdef _WIN32
    return {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"};
#else
    return {"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyUSB4",
            "ttyACM0", "ttyACM1", "ttyACM2", "ttyACM3"};
#endif
}

const char* noPortsFoundText()
{
#ifdef _WIN32
    return "Запустите программу от имени администратора или выберите порт вручную";
#else
    return linuxNoPortsFoundText();
#endif
}

const char* linuxNoPortsFoundText()
{
    return "Последовательные порты не найдены. Подключён ли переходник USB? Его порт появляется "
           "как /dev/ttyUSB* или /dev/ttyACM*. Для работы с портом пользователь должен входить "
           "в группу dialout (sudo usermod -aG dialout $USER). Порт можно выбрать вручную.";
}

PortAccess::PortAccess(SerialPort& port, PortLister& lister, TerminalView& view)
    : port_(port), lister_(lister), view_(view)
{}

PortChoice PortAccess::scanPorts(bool quiet)
{
    PortChoice choice;
    for (const PortInfo& info : lister_.listPortInfos()) {
        choice.names.push_back(info.name);
        choice.labels.push_back(portLabel(info));
    }
    if (!choice.names.empty()) {
        choice.selected = 0;
        return choice;
    }
    if (!quiet) {
        view_.showMessage(":-(");
        view_.showMessage(trText(noPortsFoundText()));
    }
    choice.names = fallbackPortNames();
    choice.labels = choice.names;
    return choice;
}

bool PortAccess::openPort(const PortParameters& p)
{
    portName_ = p.portName;
    conversionFailed_ = false;
    pathRefused_ = false;
    int baud = 0;
    if (!toInteger(p.baudText, baud)) {
        conversionFailed_ = true;
        view_.showError(conversionError(p.baudText));
        return false;
    }
    int bits = 0;
    if (!toInteger(p.bitsText, bits)) {
        conversionFailed_ = true;
        view_.showError(conversionError(p.bitsText));
        return false;
    }
    if (p.stopIndex >= 0 && p.stopIndex <= 2)
        stopCode_ = p.stopIndex;
#ifndef _WIN32
    // A path, typed or chosen (a link from the list, --port), must lead to a
    // character device; whichever way it came, a wrong one is told the same.
    // A typed one becomes the port's name only once it passes.
    const std::string& path = portName_.empty() ? p.typedText : portName_;
    if (isPortPath(path) && !isCharacterDevice(path)) {
        pathRefused_ = true;
        if (!quiet_)
            view_.showMessage(
                trFormat("%1 — не последовательный порт: по этому пути нет символьного устройства.", {path}));
        return false;
    }
    if (portName_.empty() && (isPortPath(p.typedText) || isNetworkPortText(p.typedText)))
        portName_ = p.typedText;
#endif
    if (portName_.empty())
        view_.showMessage(trText("Выбери порт!"));
    // A handle still held from an earlier attempt is released before the new open.
    if (port_.isOpen())
        port_.close();
    if (portName_.empty())
        return false;
    port_.setLineOptions(p.line);
    if (!port_.open(portName_, baud, bits, stopCode_))
        return false;
    portOpen_ = true;
    baud_ = baud;
    dataBits_ = bits;
    if (openedListener_)
        openedListener_();
    return true;
}

void PortAccess::rememberIdentity()
{
    identity_ = {};
    for (const PortInfo& info : lister_.listPortInfos())
        if (info.name == portName_) {
            identity_ = identityOf(info);
            break;
        }
}

bool PortAccess::reopenRemembered(const PortParameters& p)
{
    if (identity_.empty())
        return openPort(p);
    const std::vector<PortInfo> ports = lister_.listPortInfos();
    PortParameters q = p;
    if (const PortInfo* found = findByIdentity(ports, identity_)) {
        q.portName = found->name;
    } else {
        for (const PortInfo& info : ports)
            if (info.name == p.portName && isAnotherDevice(info, identity_))
                return false;  // another device has taken the name meanwhile
    }
    return openPort(q);
}

bool PortAccess::reopenPort(const PortParameters& p)
{
    // Tried every second while the device is away: the colour says it, no message.
    quiet_ = true;
    const bool opened = reopenRemembered(p);
    quiet_ = false;
    return opened;
}

void PortAccess::closePort()
{
    if (!portOpen_)
        return;
    if (closingListener_)
        closingListener_();
    port_.purge();
    port_.close();
    portOpen_ = false;
    if (closedListener_)
        closedListener_();
}

bool PortAccess::probePort()
{
    return port_.isOpen() && port_.probe();
}

uint32_t PortAccess::portInputCount()
{
    return port_.isOpen() ? port_.inputCount() : 0;
}

uint32_t PortAccess::readPort(uint8_t* buffer, uint32_t n)
{
    return port_.isOpen() ? port_.read(buffer, n) : 0;
}

void PortAccess::purgePort()
{
    if (port_.isOpen())
        port_.purge();
}

int64_t PortAccess::writePort(const uint8_t* data, uint32_t n)
{
    return port_.isOpen() ? port_.write(data, n) : -1;
}

}  // namespace comtrax
