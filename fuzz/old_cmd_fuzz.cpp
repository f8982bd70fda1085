// OldCmd as it may arrive: any bytes, any length. Fills the history from it,
// lists it, sends a few lines taken from the input and from the history
// itself, and checks the table against the move-to-front rule record by
// record, then the file round trip through load and save.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "transmit/history.h"

using namespace comtrax;
using comtrax::fuzz::hexDump;

namespace {

constexpr std::size_t Rec = SentHistory::RecordSize;
constexpr int Slots = SentHistory::Slots;

using Records = std::vector<std::string>;  // 50 records of 256 bytes, slot 1 first

Records recordsOf(const std::string& image)
{
    Records r;
    for (int i = 0; i < Slots; ++i)
        r.push_back(image.substr(std::size_t(i) * Rec, Rec));
    return r;
}

std::string textOf(const std::string& record)
{
    return record.substr(1, static_cast<unsigned char>(record[0]));
}

// The table after sending `line`: the highest slot that holds the same text
// (else slot 50) is overwritten by shifting the slots above it down by one,
// and slot 1 keeps its tail bytes under the new text.
Records afterSending(Records r, const std::string& line)
{
    if (line.empty() || line.size() >= 255)
        return r;
    int k = Slots;
    for (int i = Slots; i >= 1; --i)
        if (textOf(r[std::size_t(i - 1)]) == line) {
            k = i;
            break;
        }
    for (int j = k - 1; j >= 1; --j)
        r[std::size_t(j)] = r[std::size_t(j - 1)];
    r[0][0] = static_cast<char>(line.size());
    r[0].replace(1, line.size(), line);
    return r;
}

void checkTable(const SentHistory& h, const Records& expected, const char* when)
{
    const std::string bytes = h.toBytes();
    FUZZ_CHECK(bytes.size() == std::size_t(SentHistory::FileSize), when);
    std::vector<std::string> listed;
    for (int i = 1; i <= Slots; ++i) {
        const std::string& rec = expected[std::size_t(i - 1)];
        FUZZ_CHECK(bytes.compare(std::size_t(i - 1) * Rec, Rec, rec) == 0,
                   std::string(when) + ": record " + std::to_string(i) + " "
                       + hexDump(bytes.substr((i - 1) * Rec, 16)));
        FUZZ_CHECK(h.slot(i) == textOf(rec), std::string(when) + ": slot " + std::to_string(i));
        if (rec[0] != 0)
            listed.push_back(textOf(rec));
    }
    FUZZ_CHECK(h.nonEmpty() == listed, std::string(when) + ": drop-down list");
    FUZZ_CHECK(h.slot(0).empty() && h.slot(Slots + 1).empty() && h.slot(-1).empty(), "slot out of range");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Only whole records count; what a short file lacks stays empty (zeros).
    std::string image(SentHistory::FileSize, '\0');
    const std::size_t whole = std::min<std::size_t>(size / Rec, Slots);
    image.replace(0, whole * Rec, input, 0, whole * Rec);
    Records expected = recordsOf(image);

    SentHistory h;
    h.fromBytes(input);
    checkTable(h, expected, "fromBytes");

    // The same bytes through the file: load reads at most 50 records.
    const std::string path = fuzz::scratchFile("OldCmd");
    fuzz::writeFile(path, input);
    SentHistory loaded;
    const FileResult lr = loaded.load(path);
    FUZZ_CHECK(lr.ok, lr.error);
    checkTable(loaded, expected, "load");

    // Lines to send: pieces of the input (any bytes, lengths around the
    // 254/255 limit included), and texts already in the history, which must
    // move to the top rather than appear twice.
    std::vector<std::string> lines;
    fuzz::ByteReader tail(data + size / 2, size - size / 2);
    for (int i = 0; i < 4 && !tail.empty(); ++i)
        lines.push_back(tail.bytes(tail.byte()));
    lines.push_back(std::string(254, 'x'));
    lines.push_back(std::string(255, 'y'));
    lines.push_back(std::string());
    for (int i : {50, 7, 1, 25})
        if (!h.slot(i).empty())
            lines.push_back(h.slot(i));
    if (size > 0)
        lines.push_back(h.slot(1 + data[0] % Slots));

    for (const std::string& line : lines) {
        h.recordSent(line);
        expected = afterSending(expected, line);
        checkTable(h, expected, "recordSent");
        if (!line.empty() && line.size() < 255) {
            FUZZ_CHECK(h.slot(1) == line, "sent line not in slot 1");
        }
    }

    // Shut-down: the file is rewritten when it is there, and loads back as is.
    bool saved = false;
    const FileResult sr = h.saveIfPresent(path, &saved);
    FUZZ_CHECK(sr.ok && saved, sr.error);
    FUZZ_CHECK(fuzz::readFile(path) == h.toBytes(), "saved file differs from the table");
    SentHistory back;
    FUZZ_CHECK(back.load(path).ok, "reload");
    checkTable(back, expected, "reload");
    return 0;
}
