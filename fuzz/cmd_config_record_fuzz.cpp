// One damaged or foreign record in an otherwise good CmdConfig: the input's
// bytes are laid over record 1 of a file of 100 valid records (an input as
// long as a record replaces it whole, mark included). Loads the file, reads
// every field of list 1 with every k and j, stores values back, stores texts
// of any length, clears the list, and checks each step against the bytes.
#include <cstdio>
#include <fstream>
#include <string>

#include "cmd_lists_oracle.h"
#include "fuzz_support.h"

using namespace comtrax;
using namespace comtrax::fuzz;

namespace {

const std::string& goodFile()
{
    static const std::string file = [] {
        std::string f;
        f.reserve(CmdLists::FileSize);
        for (int n = 1; n <= CmdLists::Lists; ++n)
            f += sampleRecord(n);
        return f;
    }();
    return file;
}

// The file on disk is the good one except for record 1 while this is true;
// a rebuild or a save replaces it, and then it is written again whole.
bool diskIsGood = false;

void writeRecordOne(const std::string& path, const std::string& record)
{
    if (!diskIsGood) {
        writeFile(path, goodFile());
        diskIsGood = true;
    }
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(0);
    f.write(record.data(), static_cast<std::streamsize>(record.size()));
    f.flush();
    FUZZ_CHECK(bool(f), "cannot write record 1");
}

void checkListOne(const CmdLists& lists, const std::string& record, const char* when)
{
    const std::string w = when;
    FUZZ_CHECK(lists.listName(1) == fieldText(record, listNameField()), w + ": ListName");
    for (int k = 1; k <= 48; ++k) {
        FUZZ_CHECK(lists.commandLine(1, k) == fieldText(record, cmdLineField(k)),
                   w + ": CmdLine " + std::to_string(k));
        FUZZ_CHECK(lists.commandName(1, k) == fieldText(record, cmdNameField(k)),
                   w + ": CmdName " + std::to_string(k));
        for (int j = 1; j <= 12; ++j)
            FUZZ_CHECK(lists.commandHelp(1, k, j) == fieldText(record, cmdHelpField(k, j)),
                       w + ": CmdHelp " + std::to_string(k) + "," + std::to_string(j));
    }
    FUZZ_CHECK(lists.validMark(1) == markOf(record), w + ": ValidMark");
    FUZZ_CHECK(recordOf(lists, 1) == record, w + ": record bytes");
}

// Indexes outside 1..100, 1..48, 1..12 read nothing and store nothing.
void checkOutOfRange(CmdLists& lists)
{
    const std::string before = recordOf(lists, 1);
    const std::string last = recordOf(lists, 100);
    for (const int n : {0, -1, 101}) {
        FUZZ_CHECK(lists.listName(n).empty() && lists.record(n) == nullptr, "list out of range");
        lists.setListName(n, "x");
        lists.clearList(n);
    }
    for (const int k : {0, 49, -5}) {
        FUZZ_CHECK(lists.commandLine(1, k).empty() && lists.commandName(1, k).empty(), "macro out of range");
        lists.setCommandLine(1, k, "x");
        lists.setCommandName(1, k, "x");
        lists.setCommandHelp(1, k, 1, "x");
    }
    for (const int j : {0, 13}) {
        FUZZ_CHECK(lists.commandHelp(1, 1, j).empty(), "help line out of range");
        lists.setCommandHelp(1, 1, j, "x");
    }
    FUZZ_CHECK(recordOf(lists, 1) == before && recordOf(lists, 100) == last,
               "out-of-range store changed a record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string path = scratchFile("CmdConfig");
    const std::string backup = path + ".bak";
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::string record = goodFile().substr(0, CmdRec);
    record.replace(0, std::min(size, CmdRec), input, 0, std::min(size, CmdRec));
    writeRecordOne(path, record);
    removeFile(backup);

    static CmdLists lists;
    resetLists(lists);
    const CmdLists::LoadResult r = lists.loadLists(path);
    FUZZ_CHECK(r.io.ok, r.io.error);

    if (markOf(record) != CmdLists::ValidMarkValue) {
        // Damaged: the file is kept as it was, and every list is a default one.
        diskIsGood = false;
        FUZZ_CHECK(r.rebuilt && r.backupKept, "a bad mark in record 1 was not noticed");
        static std::string kept;
        readFileTo(backup, kept);
        FUZZ_CHECK(kept.size() == CmdLists::FileSize && kept.compare(0, CmdRec, record) == 0,
                   "backup is not the damaged file");
        for (int n = 1; n <= CmdLists::Lists; ++n) {
            FUZZ_CHECK(lists.listName(n) == "List " + std::to_string(n), "default name");
            FUZZ_CHECK(lists.validMark(n) == CmdLists::ValidMarkValue, "default mark");
        }
        for (int k = 1; k <= 48; ++k) {
            FUZZ_CHECK(lists.commandLine(1, k).empty() && lists.commandName(1, k).empty(), "default macro");
            for (int j = 1; j <= 12; ++j)
                FUZZ_CHECK(lists.commandHelp(1, k, j).empty(), "default help");
        }
        return 0;
    }

    FUZZ_CHECK(!r.rebuilt && !r.backupKept, "a good file was rebuilt");
    checkListOne(lists, record, "load");
    for (int n = 2; n <= CmdLists::Lists; ++n)
        FUZZ_CHECK(sameRecord(lists, n, goodFile(), std::size_t(n - 1) * CmdRec),
                   "record " + std::to_string(n) + " differs from the file");

    // The panel shows the fields and the editor stores them back unchanged:
    // only a length byte above its capacity comes back cut.
    std::string expected = record;
    lists.setListName(1, lists.listName(1));
    for (int k = 1; k <= 48; ++k) {
        lists.setCommandLine(1, k, lists.commandLine(1, k));
        lists.setCommandName(1, k, lists.commandName(1, k));
        for (int j = 1; j <= 12; ++j)
            lists.setCommandHelp(1, k, j, lists.commandHelp(1, k, j));
    }
    for (const Field f : allFields())
        if (static_cast<unsigned char>(expected[f.offset]) > f.capacity)
            expected[f.offset] = static_cast<char>(f.capacity);
    checkListOne(lists, expected, "store back");

    checkOutOfRange(lists);

    // Texts of any length from the input: cut to the field, and nothing
    // outside the field moves.
    ByteReader in(data, size);
    for (int i = 0; i < 8 && !in.empty(); ++i) {
        const int k = 1 + in.byte() % 48;
        const int j = 1 + in.byte() % 12;
        const std::string text = in.bytes(std::size_t(in.byte()) * 2);
        Field f{};
        switch (i % 4) {
        case 0:
            lists.setCommandLine(1, k, text);
            f = cmdLineField(k);
            break;
        case 1:
            lists.setCommandName(1, k, text);
            f = cmdNameField(k);
            break;
        case 2:
            lists.setCommandHelp(1, k, j, text);
            f = cmdHelpField(k, j);
            break;
        default:
            lists.setListName(1, text);
            f = listNameField();
            break;
        }
        putText(expected, f, text.substr(0, 255));
        checkListOne(lists, expected, "store text");
    }

    // Clear: every length byte 0, the old characters behind them kept, mark kept.
    lists.clearList(1);
    for (const Field f : allFields())
        expected[f.offset] = 0;
    checkListOne(lists, expected, "clear");

    // Save: the file is the memory image, and loads back unchanged.
    const FileResult saved = lists.saveLists(path);
    FUZZ_CHECK(saved.ok, saved.error);
    diskIsGood = false;
    static CmdLists again;
    resetLists(again);
    const CmdLists::LoadResult r2 = again.loadLists(path);
    FUZZ_CHECK(r2.io.ok && !r2.rebuilt, "saved file does not load back");
    checkListOne(again, expected, "reload");
    return 0;
}
