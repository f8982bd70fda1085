#include "telnet/network_address.h"

#include <cctype>
#include <charconv>

namespace comtrax {
namespace {

constexpr std::string_view TcpScheme = "tcp://";
constexpr std::string_view Rfc2217Scheme = "rfc2217://";
constexpr std::string_view NoWait = "?nowait";

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool validHostText(std::string_view host)
{
    for (const char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || c == '/' || c == '?' || c == '#' || c == '@' || c == '[' || c == ']' || u >= 0x7f)
            return false;
    }
    return true;
}

ParsedAddress failure(std::string text)
{
    return ParsedAddress{std::nullopt, std::move(text)};
}

}  // namespace

bool isNetworkPortName(std::string_view name)
{
    return startsWithNoCase(name, TcpScheme) || startsWithNoCase(name, Rfc2217Scheme);
}

ParsedAddress parseNetworkAddress(std::string_view name)
{
    NetworkAddress address;
    std::string_view rest;
    if (startsWithNoCase(name, TcpScheme)) {
        address.kind = NetworkAddress::Kind::RawTcp;
        rest = name.substr(TcpScheme.size());
    } else if (startsWithNoCase(name, Rfc2217Scheme)) {
        address.kind = NetworkAddress::Kind::Rfc2217;
        rest = name.substr(Rfc2217Scheme.size());
    } else {
        return failure("Сетевой порт задаётся как tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ.");
    }
    if (rest.size() >= NoWait.size() && startsWithNoCase(rest.substr(rest.size() - NoWait.size()), NoWait)) {
        address.noWait = true;
        rest.remove_suffix(NoWait.size());
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    std::string_view host;
    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return failure("В адресе IPv6 нет закрывающей скобки ].");
        host = rest.substr(1, close - 1);
        const std::string_view after = rest.substr(close + 1);
        if (after.empty() || after.front() != ':')
            return failure("Не указан номер порта: tcp://УЗЕЛ:ПОРТ.");
        portText = after.substr(1);
        // An IPv6 address, with its zone ("%eth0") after it.
        const std::string_view ip = host.substr(0, host.find('%'));
        if (ip.find(':') == std::string_view::npos)
            return failure("Адрес IPv6 в скобках записан неверно.");
        for (const char c : ip)
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.')
                return failure("Адрес IPv6 в скобках записан неверно.");
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return failure("Не указан номер порта: tcp://УЗЕЛ:ПОРТ.");
        host = rest.substr(0, colon);
        portText = rest.substr(colon + 1);
        if (host.find(':') != std::string_view::npos)
            return failure("Адрес IPv6 пишется в квадратных скобках: tcp://[::1]:ПОРТ.");
    }
    if (host.empty())
        return failure("Не указан узел: tcp://УЗЕЛ:ПОРТ.");
    if (!validHostText(host))
        return failure("Имя узла записано неверно.");
    unsigned port = 0;
    const auto r = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || r.ec != std::errc() || r.ptr != portText.data() + portText.size() || port == 0
        || port > 65535)
        return failure("Номер порта должен быть от 1 до 65535.");
    address.host = std::string(host);
    address.port = static_cast<uint16_t>(port);
    return ParsedAddress{address, {}};
}

std::string networkAddressName(const NetworkAddress& address)
{
    std::string name = address.kind == NetworkAddress::Kind::RawTcp ? "tcp://" : "rfc2217://";
    if (address.host.find(':') != std::string::npos)
        name += "[" + address.host + "]";
    else
        name += address.host;
    name += ":" + std::to_string(address.port);
    if (address.noWait)
        name += "?nowait";
    return name;
}

}  // namespace comtrax
