#pragma once
// The names of ports across the network: "tcp://HOST:PORT" (the bytes as they
// are) and "rfc2217://HOST:PORT" (Telnet with COM-PORT-CONTROL). HOST is a
// name, an IPv4 address or an IPv6 address in brackets.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace comtrax {

struct NetworkAddress {
    enum class Kind { RawTcp, Rfc2217 };
    Kind kind = Kind::RawTcp;
    std::string host;  // without the brackets of an IPv6 address
    uint16_t port = 0;
    // "?nowait": the line settings and modem commands are sent without
    // waiting for the server's acknowledgements.
    bool noWait = false;
    bool operator==(const NetworkAddress&) const = default;
};

// Whether a port name is meant as a network port (its scheme is one of ours,
// in any case). Such a name is never a path.
bool isNetworkPortName(std::string_view name);

// The address a name stands for, or the reason it stands for none (in
// Russian, for the user): a missing host, a port out of 1..65535, an unknown
// scheme, an unclosed bracket.
struct ParsedAddress {
    std::optional<NetworkAddress> address;
    std::string error;
};
ParsedAddress parseNetworkAddress(std::string_view name);

// The name again, as the port list and the settings keep it.
std::string networkAddressName(const NetworkAddress& address);

}  // namespace comtrax
