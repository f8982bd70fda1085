#include "telnet/network_address.h"

#include <gtest/gtest.h>

namespace comtrax {
namespace {

using Kind = NetworkAddress::Kind;

TEST(NetworkAddress, GoodNames)
{
    const struct {
        const char* name;
        Kind kind;
        const char* host;
        uint16_t port;
        bool noWait;
    } cases[] = {
        {"tcp://127.0.0.1:2000", Kind::RawTcp, "127.0.0.1", 2000, false},
        {"rfc2217://pi.local:3001", Kind::Rfc2217, "pi.local", 3001, false},
        {"RFC2217://Host:1", Kind::Rfc2217, "Host", 1, false},
        {"tcp://[::1]:65535", Kind::RawTcp, "::1", 65535, false},
        {"rfc2217://[fe80::1%eth0]:4000", Kind::Rfc2217, "fe80::1%eth0", 4000, false},
        {"rfc2217://board:7000?nowait", Kind::Rfc2217, "board", 7000, true},
        {"tcp://board:7000/", Kind::RawTcp, "board", 7000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(isNetworkPortName(c.name));
        const ParsedAddress parsed = parseNetworkAddress(c.name);
        ASSERT_TRUE(parsed.address) << parsed.error;
        EXPECT_EQ(parsed.address->kind, c.kind);
        EXPECT_EQ(parsed.address->host, c.host);
        EXPECT_EQ(parsed.address->port, c.port);
        EXPECT_EQ(parsed.address->noWait, c.noWait);
        // The name made again reads back as the same address.
        EXPECT_EQ(parseNetworkAddress(networkAddressName(*parsed.address)).address, parsed.address);
    }
}

TEST(NetworkAddress, BadNamesSayWhy)
{
    const char* const names[] = {
        "tcp://:2000",         // no host
        "tcp://host",          // no port
        "tcp://host:",         // empty port
        "tcp://host:0",        // port out of range
        "tcp://host:65536",    // port out of range
        "tcp://host:12ab",     // not a number
        "tcp://host:-1",       // signed
        "tcp://::1:2000",      // IPv6 without brackets
        "tcp://[::1:2000",     // unclosed bracket
        "tcp://[::1]",         // bracket without port
        "tcp://[zz::1]:2000",  // not an IPv6 address
        "tcp://a b:2000",      // blank in the host
        "tcp://user@h:2000",   // no user part
        "telnet://h:23",       // not our scheme
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const ParsedAddress parsed = parseNetworkAddress(name);
        EXPECT_FALSE(parsed.address);
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(NetworkAddress, OnlyOurSchemesAreNetworkNames)
{
    EXPECT_FALSE(isNetworkPortName("/dev/ttyUSB0"));
    EXPECT_FALSE(isNetworkPortName("ttyUSB0"));
    EXPECT_FALSE(isNetworkPortName("tcp:/x:1"));
    EXPECT_FALSE(isNetworkPortName("telnet://h:23"));
    EXPECT_TRUE(isNetworkPortName("TCP://h:1"));
}

}  // namespace
}  // namespace comtrax
