#include "qtserial/qt_port_lister.h"

#include <QFile>
#include <QSerialPortInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace comtrax {

QtPortLister::QtPortLister(std::string devDir) : devDir_(std::move(devDir)) {}

namespace {

std::string hexId(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toStdString();
}

// Where a USB device is plugged in: its interface in sysfs (".../1-1.2/1-1.2:1.0"),
// which stays the same when the port comes back under another name.
std::string usbLocation(const std::string& name)
{
#ifdef __linux__
    namespace fs = std::filesystem;
    std::error_code e;
    fs::path device = fs::canonical(fs::path("/sys/class/tty") / name / "device", e);
    if (e)
        return {};
    if (device.filename() == name)  // usb-serial adapters have a node of their own
        device = device.parent_path();
    return device.string();
#else
    (void)name;
    return {};
#endif
}

}  // namespace

std::vector<std::string> QtPortLister::listPorts()
{
    std::vector<std::string> names;
    for (PortInfo& info : listPortInfos())
        names.push_back(std::move(info.name));
    return names;
}

std::vector<PortInfo> QtPortLister::listPortInfos()
{
    std::vector<PortInfo> ports;
    const auto listed = [&ports](const std::string& name) {
        return std::any_of(ports.begin(), ports.end(), [&](const PortInfo& p) { return p.name == name; });
    };
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo port;
        port.name = QFile::encodeName(info.portName()).toStdString();
        port.description = info.description().trimmed().toStdString();
        port.serialNumber = info.serialNumber().trimmed().toStdString();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.vendorId = hexId(info.vendorIdentifier());
            port.productId = hexId(info.productIdentifier());
            port.location = usbLocation(port.name);
        }
        ports.push_back(std::move(port));
    }
    for (const std::string& link : ptyLinks())
        if (!listed(link))
            ports.push_back(PortInfo{link, {}, {}, {}, {}, {}});
    for (const std::string& link : byIdLinks())
        if (!listed(link))
            ports.push_back(PortInfo{link, {}, {}, {}, {}, {}});
    return ports;
}

std::vector<std::string> QtPortLister::byIdLinks() const
{
    std::vector<std::string> links;
#ifndef _WIN32
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = fs::path(devDir_) / "serial" / "by-id";
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e;
        if (it->is_symlink(e) && fs::is_character_file(it->path(), e))
            links.push_back(it->path().string());
    }
    std::sort(links.begin(), links.end());
#endif
    return links;
}

std::vector<std::string> QtPortLister::ptyLinks() const
{
    std::vector<std::string> links;
#ifndef _WIN32
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir(devDir_);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e;
        if (!it->is_symlink(e))
            continue;
        // Only the link itself is followed, one step: /dev/stdin and its kind
        // reach a terminal through /proc and must not be offered as ports.
        fs::path target = fs::read_symlink(it->path(), e);
        if (e)
            continue;
        if (target.is_relative())
            target = dir / target;
        target = target.lexically_normal();
        if (target.parent_path() != "/dev/pts")
            continue;
        const std::string number = target.filename().string();
        if (number.empty()
            || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;  // /dev/pts/ptmx and the like
        // A link left behind by a pty pair that has gone points at nothing.
        if (!fs::is_character_file(target, e))
            continue;
        links.push_back(it->path().filename().string());
    }
    std::sort(links.begin(), links.end());
#endif
    return links;
}

}  // namespace comtrax
