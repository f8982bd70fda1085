#include "netport/recent_network_ports.h"

#include <algorithm>

#include "common/texts.h"
#include "settings/key_value_file.h"
#include "telnet/network_address.h"

namespace comtrax {
namespace {
const char* const Heading = "# Comtrax: recently used network ports";
constexpr std::size_t MaxFileBytes = 64 * 1024;

std::string keyOf(std::size_t i)
{
    return "port" + std::to_string(i + 1);
}
}  // namespace

RecentNetworkPorts::RecentNetworkPorts(std::string path) : path_(std::move(path))
{
    if (path_.empty())
        return;
    const KeyValueLoad load = loadKeyValueFile(path_, MaxFileBytes);
    if (!load.io) {
        writable_ = false;
        return;
    }
    std::vector<std::pair<std::size_t, std::string>> found;
    parseKeyValues(load.text, Heading, [&](const std::string& key, const std::string& value) {
        for (std::size_t i = 0; i < MaxPorts; ++i)
            if (key == keyOf(i)) {
                // Only a name the network port can open is offered.
                if (parseNetworkAddress(value).address)
                    found.emplace_back(i, value);
                return true;
            }
        return false;
    });
    std::sort(found.begin(), found.end());
    for (auto& [i, name] : found)
        if (std::find(names_.begin(), names_.end(), name) == names_.end())
            names_.push_back(std::move(name));
}

void RecentNetworkPorts::use(const std::string& name)
{
    names_.erase(std::remove(names_.begin(), names_.end(), name), names_.end());
    names_.insert(names_.begin(), name);
    if (names_.size() > MaxPorts)
        names_.resize(MaxPorts);
    if (path_.empty() || !writable_)
        return;
    // The file is read again so that the lines kept are those standing now.
    const KeyValueLoad load = loadKeyValueFile(path_, MaxFileBytes);
    if (!load.io)
        return;
    const std::vector<KeptLine> kept =
        parseKeyValues(load.text, Heading, [](const std::string& key, const std::string&) {
            for (std::size_t i = 0; i < MaxPorts; ++i)
                if (key == keyOf(i))
                    return true;
            return false;
        });
    std::vector<std::pair<std::string, std::string>> known;
    for (std::size_t i = 0; i < names_.size(); ++i)
        known.emplace_back(keyOf(i), names_[i]);
    saveKeyValueFile(path_, formatKeyValues(Heading, known, kept));
}

std::vector<std::string> RecentPortLister::listPorts()
{
    std::vector<std::string> names = local_.listPorts();
    names.insert(names.end(), recent_.names().begin(), recent_.names().end());
    return names;
}

std::vector<PortInfo> RecentPortLister::listPortInfos()
{
    std::vector<PortInfo> infos = local_.listPortInfos();
    // A network port has no USB device behind it: its entry says what it is instead.
    for (const std::string& name : recent_.names()) {
        const ParsedAddress parsed = parseNetworkAddress(name);
        const bool telnet = parsed.address && parsed.address->kind == NetworkAddress::Kind::Rfc2217;
        infos.push_back(
            PortInfo{name, trText(telnet ? "сетевой порт, RFC 2217" : "сетевой порт, TCP"), {}, {}, {}, {}});
    }
    return infos;
}

}  // namespace comtrax
