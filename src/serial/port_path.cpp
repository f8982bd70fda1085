#include "serial/port_path.h"

namespace comtrax {

bool isNetworkPortText(const std::string& text)
{
    const std::size_t scheme = text.find("://");
    return scheme != std::string::npos && scheme > 0 && text.find('/') == scheme + 1;
}

bool isPortPath(const std::string& text)
{
    return text.find('/') != std::string::npos && !isNetworkPortText(text);
}

std::string expandHomePath(const std::string& path, const std::optional<std::string>& home)
{
    if (!home || home->empty() || home->front() != '/')
        return path;
    if (path.rfind("~/", 0) != 0)
        return path;
    std::string base = *home;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return (base == "/" ? std::string() : base) + path.substr(1);
}

}  // namespace comtrax
