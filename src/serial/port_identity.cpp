#include "serial/port_identity.h"

namespace comtrax {

namespace {

// Two values agree when they are equal or one of them is unknown.
bool agree(const std::string& a, const std::string& b)
{
    return a.empty() || b.empty() || a == b;
}

bool matches(const PortIdentity& candidate, const PortIdentity& id)
{
    if (!id.serialNumber.empty())
        return candidate.serialNumber == id.serialNumber && agree(candidate.vendorId, id.vendorId)
            && agree(candidate.productId, id.productId);
    // Without a serial number only the same model in the same socket is the
    // same device.
    if (id.vendorId.empty() || id.productId.empty() || id.location.empty())
        return false;
    return candidate.serialNumber.empty() && candidate.vendorId == id.vendorId
        && candidate.productId == id.productId && candidate.location == id.location;
}

}  // namespace

bool PortIdentity::empty() const
{
    return serialNumber.empty() && (vendorId.empty() || productId.empty() || location.empty());
}

PortIdentity identityOf(const PortInfo& info)
{
    return {info.serialNumber, info.vendorId, info.productId, info.location};
}

std::string portLabel(const PortInfo& info)
{
    std::string label = info.name;
    if (!info.description.empty())
        label += " \u2014 " + info.description;
    if (!info.serialNumber.empty())
        label += " (" + info.serialNumber + ")";
    return label;
}

const PortInfo* findByIdentity(const std::vector<PortInfo>& ports, const PortIdentity& id)
{
    if (id.empty())
        return nullptr;
    std::vector<const PortInfo*> found;
    for (const PortInfo& info : ports)
        if (matches(identityOf(info), id))
            found.push_back(&info);
    if (found.size() > 1 && !id.location.empty()) {
        // Twins with one serial number: the one in the same socket.
        std::vector<const PortInfo*> here;
        for (const PortInfo* info : found)
            if (info->location == id.location)
                here.push_back(info);
        found = here;
    }
    return found.size() == 1 ? found.front() : nullptr;
}

bool isAnotherDevice(const PortInfo& info, const PortIdentity& id)
{
    const PortIdentity other = identityOf(info);
    return !id.empty() && !other.empty() && !matches(other, id);
}

}  // namespace comtrax
