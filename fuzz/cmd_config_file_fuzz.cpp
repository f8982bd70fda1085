// A whole CmdConfig of any shape: missing, too short, cut inside a record,
// longer than 100 records, with bad marks anywhere, and with small edits
// anywhere in it (marks and length bytes included). The file is built from
// the input rather than taken from it, so each run stays cheap although a
// real file is 10 MB:
//
//   byte 0      number of whole records, 0..102
//   byte 1      bit 7: a cut-off record follows, bits 0..6 its length / 800
//   byte 2      a record whose mark is replaced (0: none)
//   bytes 3..6  that mark
//   then edits  record, offset (4 bytes), length, bytes; at most 32
//
// An empty input stands for a missing file.
#include <string>

#include "cmd_lists_oracle.h"
#include "fuzz_support.h"

using namespace comtrax;
using namespace comtrax::fuzz;

namespace {

constexpr int MaxRecords = 102;

const std::string& sampleRecords()
{
    static const std::string file = [] {
        std::string f;
        f.reserve((MaxRecords + 1) * CmdRec);
        for (int n = 1; n <= MaxRecords + 1; ++n)
            f += sampleRecord(n);
        return f;
    }();
    return file;
}

std::string recordIn(const std::string& file, int n)
{
    return file.substr(std::size_t(n - 1) * CmdRec, CmdRec);
}

// A list as the defaults leave it when its record held `base`: every length
// byte 0, the name "List n", mark 12345, every other byte carried.
std::string defaultsOver(std::string base, int n)
{
    for (const Field f : allFields())
        base[f.offset] = 0;
    putText(base, listNameField(), "List " + std::to_string(n));
    setMark(base, CmdLists::ValidMarkValue);
    return base;
}

void checkDefaultTexts(const CmdLists& lists, int n)
{
    FUZZ_CHECK(lists.listName(n) == "List " + std::to_string(n), "default name");
    for (int k = 1; k <= 48; ++k) {
        FUZZ_CHECK(lists.commandLine(n, k).empty() && lists.commandName(n, k).empty(), "default macro");
        for (int j = 1; j <= 12; ++j)
            FUZZ_CHECK(lists.commandHelp(n, k, j).empty(), "default help");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string path = scratchFile("CmdConfig");
    const std::string backup = path + ".bak";
    removeFile(backup);

    if (size == 0) {
        removeFile(path);
        static CmdLists lists;
        resetLists(lists);
        const CmdLists::LoadResult r = lists.loadLists(path);
        FUZZ_CHECK(r.io.ok && r.rebuilt && !r.backupKept, "missing file: " + r.io.error);
        for (int n = 1; n <= CmdLists::Lists; ++n)
            FUZZ_CHECK(recordOf(lists, n) == defaultsOver(std::string(CmdRec, '\0'), n),
                       "missing file: defaults");
        FUZZ_CHECK(readFile(path).size() == CmdLists::FileSize, "missing file: not written");
        return 0;
    }

    ByteReader in(data, size);
    const int records = in.byte() % (MaxRecords + 1);
    const uint8_t cut = in.byte();
    const std::size_t tail = (cut & 0x80) ? std::size_t(cut & 0x7F) * 800 + 1 : 0;
    const int badRecord = in.byte();
    const auto badMark = static_cast<int32_t>(in.u32());

    static std::string file;  // kept between runs, like every 10 MB buffer here
    file.assign(sampleRecords(), 0, std::size_t(records) * CmdRec + tail);
    if (badRecord >= 1 && badRecord <= records) {
        std::string rec = recordIn(file, badRecord);
        setMark(rec, badMark);
        file.replace(std::size_t(badRecord - 1) * CmdRec, CmdRec, rec);
    }
    for (int e = 0; e < 32 && !in.empty() && !file.empty(); ++e) {
        const std::size_t at = in.u32() % file.size();
        const std::string bytes = in.bytes(in.byte());
        file.replace(at, std::min(bytes.size(), file.size() - at), bytes, 0, file.size() - at);
    }
    writeFile(path, file);

    // What the file says, read from the bytes: the first record that is
    // missing or carries a bad mark, if any among the first 100.
    int failing = 0;
    bool failingWasRead = false;
    for (int n = 1; n <= CmdLists::Lists && !failing; ++n) {
        if (std::size_t(n) * CmdRec > file.size()) {
            failing = n;
        } else if (markAt(file, std::size_t(n - 1) * CmdRec) != CmdLists::ValidMarkValue) {
            failing = n;
            failingWasRead = true;
        }
    }

    static CmdLists lists;
    resetLists(lists);
    const CmdLists::LoadResult r = lists.loadLists(path);
    FUZZ_CHECK(r.io.ok, r.io.error);
    static std::string disk;
    FUZZ_CHECK(r.rebuilt == (failing != 0),
               "rebuilt " + std::to_string(r.rebuilt) + ", failing record " + std::to_string(failing) + " of "
                   + std::to_string(records));
    if (!failing) {
        // Accepted as it is, a longer file included: only the first 100 records count.
        FUZZ_CHECK(!r.backupKept && readFile(backup).empty(), "backup of a good file");
        for (int n = 1; n <= CmdLists::Lists; ++n)
            FUZZ_CHECK(sameRecord(lists, n, file, std::size_t(n - 1) * CmdRec),
                       "record " + std::to_string(n) + " not as in the file");
        readFileTo(path, disk);
        FUZZ_CHECK(disk == file, "a good file was rewritten");
        return 0;
    }

    // Damaged: the file is kept as a backup, every list gets its defaults over
    // what had been read, and the defaults are written.
    readFileTo(backup, disk);
    FUZZ_CHECK(r.backupKept && disk == file, "backup is not the damaged file");
    for (int n = 1; n <= CmdLists::Lists; ++n) {
        const bool read = n < failing || (n == failing && failingWasRead);
        const std::string base = read ? recordIn(file, n) : std::string(CmdRec, '\0');
        FUZZ_CHECK(recordOf(lists, n) == defaultsOver(base, n),
                   "record " + std::to_string(n) + " after the rebuild");
    }
    for (const int n : {1, failing, 100})
        checkDefaultTexts(lists, n);
    readFileTo(path, disk);
    FUZZ_CHECK(disk.size() == CmdLists::FileSize, "the defaults written are not 100 records");
    for (int n = 1; n <= CmdLists::Lists; ++n)
        FUZZ_CHECK(sameRecord(lists, n, disk, std::size_t(n - 1) * CmdRec),
                   "the defaults written are not the lists in memory");
    return 0;
}
