#include "settings/key_value_file.h"

#include <algorithm>
#include <charconv>

namespace comtrax {

namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

}  // namespace

std::optional<bool> parseKeyValueBool(const std::string& v)
{
    if (v == "1" || v == "true" || v == "yes" || v == "on")
        return true;
    if (v == "0" || v == "false" || v == "no" || v == "off")
        return false;
    return std::nullopt;
}

std::optional<long long> parseKeyValueInt(const std::string& v)
{
    long long n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size())
        return std::nullopt;
    return n;
}

std::vector<KeptLine>
parseKeyValues(const std::string& text, const std::string& firstLine,
               const std::function<bool(const std::string&, const std::string&)>& readKnown)
{
    std::vector<KeptLine> kept;
    // Lines not yet given a place: they go before the next known key.
    std::size_t unplaced = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string raw = text.substr(pos, end - pos);
        pos = end + 1;
        while (!raw.empty() && raw.back() == '\r')
            raw.pop_back();  // a Windows line end, written back as a plain one
        const std::string line = trim(raw);
        if (line == firstLine)
            continue;
        const auto eq = line.find('=');
        const bool setting = !line.empty() && line[0] != '#' && eq != std::string::npos;
        const std::string key = setting ? trim(line.substr(0, eq)) : std::string();
        if (!key.empty() && readKnown(key, trim(line.substr(eq + 1)))) {
            for (; unplaced < kept.size(); ++unplaced)
                kept[unplaced].beforeKey = key;
            continue;
        }
        kept.push_back({raw, {}});
    }
    return kept;
}

std::string formatKeyValues(const std::string& firstLine,
                            const std::vector<std::pair<std::string, std::string>>& known,
                            const std::vector<KeptLine>& kept)
{
    std::string text = firstLine + '\n';
    for (const auto& [key, value] : known) {
        for (const KeptLine& line : kept)
            if (line.beforeKey == key)
                text += line.text + '\n';
        text += key + '=' + value + '\n';
    }
    // Lines whose key is gone from the list go at the end with the last ones.
    for (const KeptLine& line : kept) {
        const bool placed = std::any_of(known.begin(), known.end(),
                                        [&](const auto& kv) { return kv.first == line.beforeKey; });
        if (!placed)
            text += line.text + '\n';
    }
    return text;
}

KeyValueLoad loadKeyValueFile(const std::string& path, std::size_t maxBytes)
{
    KeyValueLoad r;
    if (lookUpDataFile(path).kind == DataFileLookup::Missing)
        return r;
    r.found = true;
    r.io = readBoundedFile(path, maxBytes, r.text);
    if (!r.io)
        r.text.clear();
    return r;
}

FileResult saveKeyValueFile(const std::string& path, const std::string& text)
{
    return replaceFileAtomically(path, text);
}

}  // namespace comtrax
