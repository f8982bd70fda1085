#include "transmit/history.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"

namespace comtrax {

namespace {
constexpr std::size_t TextCapacity = SentHistory::RecordSize - 1;  // string[255]
}

SentHistory::SentHistory() = default;

void SentHistory::recordSent(const std::string& line)
{
    // An empty line is never sent; recording it would take an empty slot for a text.
    if (line.empty() || line.size() >= TextCapacity)
        return;
    int k = Slots;
    for (int i = Slots; i >= 1; --i) {
        if (slot(i) == line) {
            k = i;
            break;
        }
    }
    // Whole records move, so a slot keeps the tail bytes of its earlier text.
    for (int j = k - 1; j >= 1; --j)
        slots_[static_cast<std::size_t>(j)] = slots_[static_cast<std::size_t>(j - 1)];
    putShortString(slots_[0].data(), TextCapacity, line);
}

std::string SentHistory::slot(int index) const
{
    if (index < 1 || index > Slots)
        return {};
    return getShortString(slots_[static_cast<std::size_t>(index - 1)].data(), TextCapacity);
}

std::vector<std::string> SentHistory::nonEmpty() const
{
    std::vector<std::string> texts;
    for (int i = 1; i <= Slots; ++i) {
        if (slots_[static_cast<std::size_t>(i - 1)][0] != 0)
            texts.push_back(slot(i));
    }
    return texts;
}

std::string SentHistory::toBytes() const
{
    std::string bytes;
    bytes.reserve(FileSize);
    for (const auto& record : slots_)
        bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
    return bytes;
}

void SentHistory::fromBytes(const std::string& bytes)
{
    for (auto& record : slots_)
        record.fill(0);
    // Only whole records are taken: the length byte of a cut-off record would
    // promise text that is not there.
    const std::size_t whole = std::min<std::size_t>(bytes.size() / RecordSize, Slots);
    for (std::size_t i = 0; i < whole; ++i)
        std::memcpy(slots_[i].data(), bytes.data() + i * RecordSize, RecordSize);
}

FileResult SentHistory::load(const std::string& path)
{
    // Only a name with nothing behind it is created; anything else there that
    // is not a plain file is reported by the read and left as it is.
    if (lookUpDataFile(path).kind == DataFileLookup::Missing) {
        fromBytes({});
        return replaceFileAtomically(path, toBytes());
    }
    std::string bytes;
    FileResult r = readFilePrefix(path, FileSize, bytes);
    if (!r)
        return r;
    fromBytes(bytes);
    return r;
}

FileResult SentHistory::saveIfPresent(const std::string& path, bool* saved) const
{
    if (saved)
        *saved = false;
    // A file removed during the run means the user wants no history kept.
    // Something else put in its place is not replaced (the replace says why).
    if (lookUpDataFile(path).kind == DataFileLookup::Missing)
        return {};
    FileResult r = replaceFileAtomically(path, toBytes());
    if (saved)
        *saved = r.ok;
    return r;
}

}  // namespace comtrax
