#include "settings/settings_record.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

#include "common/bytes.h"

namespace comtrax {

namespace {

constexpr std::size_t LastPortOffset = 0;
constexpr std::size_t TimeRxOffset = 8;
constexpr std::size_t FilterOffset = 12;
constexpr std::size_t FontSizeOffset = 264;
constexpr std::size_t BackColorOffset = 268;
constexpr std::size_t TextColorOffset = 272;
constexpr std::size_t PeriodOffset = 280;
constexpr std::size_t CommandOffset = 285;
constexpr std::size_t SuffixOffset = 536;

}  // namespace

SettingsRecord::SettingsRecord() = default;

// FNV-1a: four bytes cannot hold a port name, so the record keeps a fingerprint
// and start-up looks for the listed port that matches it. 0 stays free to mean
// "no port was opened", which is also what an empty name stands for.
uint32_t SettingsRecord::portHash(const std::string& name)
{
    if (name.empty())
        return 0;
    uint32_t h = 2166136261u;
    for (const char c : name) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h == 0 ? 1 : h;
}

uint32_t SettingsRecord::lastPort() const
{
    return static_cast<uint32_t>(getLE32(&b_[LastPortOffset]));
}
void SettingsRecord::setLastPort(uint32_t hash)
{
    putLE32(&b_[LastPortOffset], static_cast<int32_t>(hash));
}

int32_t SettingsRecord::timeRxMs() const
{
    return getLE32(&b_[TimeRxOffset]);
}
void SettingsRecord::setTimeRxMs(int32_t v)
{
    putLE32(&b_[TimeRxOffset], v);
}

std::string SettingsRecord::filterText() const
{
    return getShortString(&b_[FilterOffset], TextCapacity);
}
void SettingsRecord::setFilterText(const std::string& s)
{
    putShortString(&b_[FilterOffset], TextCapacity, s);
}

int32_t SettingsRecord::fontSize() const
{
    return getLE32(&b_[FontSizeOffset]);
}
void SettingsRecord::setFontSize(int32_t v)
{
    putLE32(&b_[FontSizeOffset], v);
}

uint32_t SettingsRecord::backColor() const
{
    return static_cast<uint32_t>(getLE32(&b_[BackColorOffset]));
}
void SettingsRecord::setBackColor(uint32_t v)
{
    putLE32(&b_[BackColorOffset], static_cast<int32_t>(v));
}

uint32_t SettingsRecord::textColor() const
{
    return static_cast<uint32_t>(getLE32(&b_[TextColorOffset]));
}
void SettingsRecord::setTextColor(uint32_t v)
{
    putLE32(&b_[TextColorOffset], static_cast<int32_t>(v));
}

int32_t SettingsRecord::periodMs() const
{
    return getLE32(&b_[PeriodOffset]);
}
void SettingsRecord::setPeriodMs(int32_t v)
{
    putLE32(&b_[PeriodOffset], v);
}

std::string SettingsRecord::commandText() const
{
    return getShortString(&b_[CommandOffset], TextCapacity);
}
void SettingsRecord::setCommandText(const std::string& s)
{
    putShortString(&b_[CommandOffset], TextCapacity, s);
}

std::string SettingsRecord::suffixText() const
{
    return getShortString(&b_[SuffixOffset], TextCapacity);
}
void SettingsRecord::setSuffixText(const std::string& s)
{
    putShortString(&b_[SuffixOffset], TextCapacity, s);
}

bool SettingsRecord::allZero() const
{
    return std::all_of(b_.begin(), b_.end(), [](unsigned char c) { return c == 0; });
}

// PeriodTX takes only digits from the keyboard, but text can be pasted in.
// Anything that is not a plain decimal integer in range (an optional sign and
// digits, nothing else) is saved as 1000, the same as an empty field, so a
// stray paste never turns into a period of 0 or an error at shut-down.
int32_t periodFromText(const std::string& text)
{
    constexpr int32_t Default = 1000;
    std::size_t digitsFrom = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        digitsFrom = 1;
    if (digitsFrom == text.size()
        || !std::all_of(text.begin() + std::ptrdiff_t(digitsFrom), text.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
        return Default;
    // from_chars takes a minus sign but not a plus sign.
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value, 10);
    if (ec != std::errc())
        return Default;
    return value;
}

SettingsLoadResult loadSettingsFile(const std::string& path, SettingsRecord& record)
{
    SettingsLoadResult result;
    // Only a name with nothing behind it is a first start; anything else there
    // (a file we may not read, a directory, a FIFO, a link someone else left)
    // holds what the user may still need.
    if (lookUpDataFile(path).kind == DataFileLookup::Missing) {
        result.kind = SettingsLoad::Created;
        const std::array<unsigned char, SettingsRecord::Size> zero{};
        result.io = replaceFileAtomically(path, zero.data(), zero.size());
        return result;
    }
    std::array<unsigned char, SettingsRecord::Size> bytes{};
    std::size_t got = 0;
    if (auto r = readFileInto(path, bytes.data(), bytes.size(), got); !r) {
        result.kind = SettingsLoad::Unreadable;
        result.io = r;
        return result;
    }
    if (got < SettingsRecord::Size) {
        result.kind = SettingsLoad::Failed;
        result.io =
            FileResult::failure("Cannot read '" + path + "': the file holds " + std::to_string(got)
                                + " bytes, a settings record needs " + std::to_string(SettingsRecord::Size));
        return result;
    }
    record.setBytes(bytes);
    // A record of zero bytes is what the first run leaves when it never closed
    // normally; applying it would give black text on black and font size 0.
    result.kind = record.allZero() ? SettingsLoad::Blank : SettingsLoad::Loaded;
    return result;
}

FileResult saveSettingsFile(const std::string& path, const SettingsRecord& record)
{
    return replaceFileAtomically(path, record.bytes().data(), record.bytes().size());
}

}  // namespace comtrax
