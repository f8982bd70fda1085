#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "common/bytes.h"
#include "macros/cmd_lists.h"
#include "support/file_limits.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

constexpr std::size_t Rec = CmdLists::RecordSize;
constexpr std::size_t Reserved1 = 102296;  // 204 bytes
constexpr std::size_t Reserved2 = 102504;  // 76 bytes

std::size_t lineAt(int k)
{
    return CmdLists::CmdLinesOffset + std::size_t(k - 1) * CmdLists::CmdLineStride;
}
std::size_t nameAt(int k)
{
    return CmdLists::CmdNamesOffset + std::size_t(k - 1) * CmdLists::CmdNameStride;
}
std::size_t helpAt(int k, int j)
{
    return CmdLists::CmdHelpsOffset + std::size_t(k - 1) * 1824 + std::size_t(j - 1) * 152;
}

// The support reader goes byte by byte; these files are 10 MB.
std::string slurp(const std::string& path)
{
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

void putString(std::string& file, std::size_t at, const std::string& text)
{
    file[at] = static_cast<char>(text.size());
    file.replace(at + 1, text.size(), text);
}

// A file of `records` whole records, each valid, with text in every field kind
// and marker bytes in both reserved areas, so a test can see what was carried.
std::string validFile(int records)
{
    std::string f(std::size_t(records) * Rec, '\0');
    for (int n = 1; n <= records; ++n) {
        const std::size_t r = std::size_t(n - 1) * Rec;
        const std::string tag = std::to_string(n);
        putString(f, r, "Name" + tag);
        putString(f, r + lineAt(1), "LINE" + tag);
        putString(f, r + nameAt(48), "BTN" + tag);
        putString(f, r + helpAt(48, 12), "HELP" + tag);
        f[r + Reserved1] = static_cast<char>(0xA0 + n % 16);
        f[r + Reserved2 + 75] = static_cast<char>(0xB0 + n % 16);
        putLE32(reinterpret_cast<unsigned char*>(&f[r + CmdLists::ValidMarkOffset]),
                CmdLists::ValidMarkValue);
    }
    return f;
}

std::string recordOf(const std::string& file, int n)
{
    return file.substr(std::size_t(n - 1) * Rec, Rec);
}
std::string recordOf(const CmdLists& lists, int n)
{
    return {reinterpret_cast<const char*>(lists.record(n)), Rec};
}

void expectDefaults(const CmdLists& lists)
{
    int wrong = 0;
    for (int n = 1; n <= CmdLists::Lists; ++n) {
        wrong += lists.listName(n) != "List " + std::to_string(n);
        wrong += lists.validMark(n) != CmdLists::ValidMarkValue;
        for (int k = 1; k <= CmdLists::Macros; ++k) {
            wrong += !lists.commandLine(n, k).empty() + !lists.commandName(n, k).empty();
            for (int j = 1; j <= CmdLists::HelpLinesPerMacro; ++j)
                wrong += !lists.commandHelp(n, k, j).empty();
        }
    }
    EXPECT_EQ(wrong, 0) << "fields that differ from the defaults";
}

}  // namespace

TEST(CmdConfigLoad, FirstStartWritesTheDefaultListsWithoutBackup)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    CmdLists lists;
    const auto r = lists.loadLists(path);
    EXPECT_TRUE(r.rebuilt);
    EXPECT_FALSE(r.backupKept);
    EXPECT_TRUE(r.io.ok) << r.io.error;
    expectDefaults(lists);

    const std::string file = slurp(path);
    ASSERT_EQ(file.size(), 10258000u);
    EXPECT_EQ(recordOf(file, 1).substr(0, 7), std::string("\x06List 1", 7));
    EXPECT_EQ(recordOf(file, 100).substr(0, 9), std::string("\x08List 100", 9));
    for (int n = 1; n <= 100; ++n)
        EXPECT_EQ(getLE32(reinterpret_cast<const unsigned char*>(file.data()) + (n - 1) * Rec + 102500),
                  12345);
    EXPECT_FALSE(fileExists(path + ".bak"));
    EXPECT_EQ(filesStartingWith(dir.path(), "CmdConfig.tmp"), std::vector<std::string>{});
    EXPECT_TRUE(r.created);

    CmdLists again;
    EXPECT_FALSE(again.loadLists(path).rebuilt);
}

TEST(CmdConfigLoad, DamagedFileIsKeptAsBackupAndEveryListReset)
{
    struct Case {
        const char* what;
        std::function<std::string()> make;
        int recordsRead;  // records taken into memory before the check failed
    };
    const std::string source = validFile(100);
    const std::vector<Case> cases = {
        {"empty file", [] { return std::string(); }, 0},
        {"part of one record", [] { return validFile(1).substr(0, 5000); }, 0},
        {"99 records", [] { return validFile(99); }, 99},
        {"99 records and a partial one", [] { return validFile(99) + std::string(Rec - 1, 'x'); }, 99},
        {"bad mark in record 37",
         [] {
             std::string f = validFile(100);
             f[36 * Rec + CmdLists::ValidMarkOffset] = 0x38;  // 12344
             return f;
         },
         37},
        {"bad mark in record 1 of a huge file",
         [] {
             std::string f = validFile(120);
             f[CmdLists::ValidMarkOffset + 3] = 1;
             return f;
         },
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("CmdConfig");
        const std::string damaged = c.make();
        writeFileBytes(path, damaged);

        CmdLists lists;
        const auto r = lists.loadLists(path);
        EXPECT_TRUE(r.rebuilt);
        EXPECT_TRUE(r.backupKept);
        EXPECT_TRUE(r.io.ok) << r.io.error;
        EXPECT_EQ(slurp(path + ".bak"), damaged);
        expectDefaults(lists);

        const std::string file = slurp(path);
        ASSERT_EQ(file.size(), CmdLists::FileSize);
        for (int n = 1; n <= 100; ++n) {
            const std::string rec = recordOf(file, n);
            ASSERT_EQ(rec, recordOf(lists, n));
            // Records that were read keep their reserved bytes and the old
            // characters behind the emptied length bytes; the rest stay zero.
            const bool read = n <= c.recordsRead;
            const std::string orig = recordOf(source, n);
            EXPECT_EQ(rec[Reserved1], read ? orig[Reserved1] : '\0') << "list " << n;
            EXPECT_EQ(rec[Reserved2 + 75], read ? orig[Reserved2 + 75] : '\0') << "list " << n;
            EXPECT_EQ(rec.substr(lineAt(1), 5),
                      read ? orig.substr(lineAt(1), 5).replace(0, 1, 1, '\0') : std::string(5, '\0'))
                << "list " << n;
        }
    }
}

TEST(CmdConfigLoad, WholeFileWithExtraRecordsOrTailIsAcceptedAsIs)
{
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"100 records", validFile(100)},
        {"100 records and a partial one", validFile(100) + std::string(Rec / 2, 'z')},
        {"101 records with a bad mark in the last",
         [] {
             std::string f = validFile(101);
             f[100 * Rec + CmdLists::ValidMarkOffset] = 0;
             return f;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("CmdConfig");
        writeFileBytes(path, c.bytes);
        CmdLists lists;
        const auto r = lists.loadLists(path);
        EXPECT_FALSE(r.rebuilt);
        EXPECT_TRUE(r.io.ok) << r.io.error;
        EXPECT_FALSE(fileExists(path + ".bak"));
        EXPECT_EQ(slurp(path), c.bytes) << "loading alone must not rewrite the file";
        EXPECT_EQ(lists.listName(100), "Name100");
        EXPECT_EQ(lists.commandHelp(7, 48, 12), "HELP7");

        ASSERT_TRUE(lists.saveLists(path).ok);
        EXPECT_EQ(slurp(path), c.bytes.substr(0, CmdLists::FileSize));
    }
}

TEST(CmdConfigLoad, LengthByteBeyondItsFieldIsCutToTheField)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    std::string f = validFile(100);
    const std::size_t r = 4 * Rec;                   // list 5
    f[r] = static_cast<char>(200);                   // list name, capacity 151
    f[r + lineAt(2)] = static_cast<char>(255);       // command line, capacity 251
    f[r + nameAt(48)] = static_cast<char>(255);      // last name borders the help lines
    f[r + helpAt(48, 12)] = static_cast<char>(255);  // last help line borders the reserved area
    std::memset(&f[r + Reserved1], 'R', 204);
    std::memset(&f[r + helpAt(1, 1)], 'H', 152);
    writeFileBytes(path, f);

    CmdLists lists;
    ASSERT_FALSE(lists.loadLists(path).rebuilt);
    EXPECT_EQ(lists.listName(5), f.substr(r + 1, 151));
    EXPECT_EQ(lists.commandLine(5, 2).size(), 251u);
    EXPECT_EQ(lists.commandName(5, 48), f.substr(r + nameAt(48) + 1, 51));
    EXPECT_EQ(lists.commandName(5, 48).find('H'), std::string::npos);
    EXPECT_EQ(lists.commandHelp(5, 48, 12), f.substr(r + helpAt(48, 12) + 1, 151));
    EXPECT_EQ(lists.commandHelp(5, 48, 12).find('R'), std::string::npos);
}

TEST(CmdLists, StoreCutsToCapacityAndKeepsOldBytesBehindTheLength)
{
    struct Field {
        const char* what;
        std::size_t offset;
        std::size_t capacity;
        std::function<void(CmdLists&, const std::string&)> set;
        std::function<std::string(const CmdLists&)> get;
    };
    const std::vector<Field> fields = {
        {"list name", 0, 151, [](CmdLists& l, const std::string& s) { l.setListName(9, s); },
         [](const CmdLists& l) { return l.listName(9); }},
        {"command line", lineAt(17), 251,
         [](CmdLists& l, const std::string& s) { l.setCommandLine(9, 17, s); },
         [](const CmdLists& l) { return l.commandLine(9, 17); }},
        {"name", nameAt(48), 51, [](CmdLists& l, const std::string& s) { l.setCommandName(9, 48, s); },
         [](const CmdLists& l) { return l.commandName(9, 48); }},
        {"help line", helpAt(3, 12), 151,
         [](CmdLists& l, const std::string& s) { l.setCommandHelp(9, 3, 12, s); },
         [](const CmdLists& l) { return l.commandHelp(9, 3, 12); }},
    };
    std::string longText;
    for (int i = 0; i < 260; ++i)
        longText += static_cast<char>('A' + i % 26);
    for (const auto& f : fields) {
        SCOPED_TRACE(f.what);
        CmdLists lists;
        f.set(lists, longText);
        EXPECT_EQ(f.get(lists), longText.substr(0, f.capacity));
        f.set(lists, "\xCF\xF0\xE8");  // Windows-1251 bytes go through untouched
        EXPECT_EQ(f.get(lists), "\xCF\xF0\xE8");
        const std::string raw = recordOf(lists, 9).substr(f.offset, f.capacity + 1);
        EXPECT_EQ(raw, "\x03\xCF\xF0\xE8" + longText.substr(3, f.capacity - 3));
        // Nothing next to the field was touched.
        EXPECT_EQ(recordOf(lists, 9)[f.offset + f.capacity + 1], '\0');
        EXPECT_EQ(recordOf(lists, 8), std::string(Rec, '\0'));
        EXPECT_EQ(recordOf(lists, 10), std::string(Rec, '\0'));
    }
}

TEST(CmdLists, ClearedListReadsEmptyButKeepsItsBytesThroughSaveAndLoad)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    CmdLists lists;
    lists.loadLists(path);
    lists.setListName(3, "Pumps");
    for (int k = 1; k <= 48; ++k) {
        lists.setCommandLine(3, k, "LINE" + std::to_string(k));
        lists.setCommandName(3, k, "N" + std::to_string(k));
        for (int j = 1; j <= 12; ++j)
            lists.setCommandHelp(3, k, j, "h" + std::to_string(j));
    }
    lists.setCommandLine(4, 1, "untouched");
    lists.clearList(3);
    ASSERT_TRUE(lists.saveLists(path).ok);

    const std::string rec = recordOf(slurp(path), 3);
    EXPECT_EQ(rec.substr(0, 6), std::string("\0Pumps", 6));
    EXPECT_EQ(rec.substr(lineAt(48), 7), std::string("\0LINE48", 7));
    EXPECT_EQ(rec.substr(nameAt(48), 4), std::string("\0N48", 4));
    EXPECT_EQ(rec.substr(helpAt(48, 12), 4), std::string("\0h12", 4));

    CmdLists back;
    ASSERT_FALSE(back.loadLists(path).rebuilt);
    EXPECT_EQ(back.validMark(3), 12345);
    EXPECT_EQ(back.listName(3), "");
    for (int k = 1; k <= 48; ++k) {
        EXPECT_EQ(back.commandLine(3, k), "");
        EXPECT_EQ(back.commandName(3, k), "");
        for (int j = 1; j <= 12; ++j)
            EXPECT_EQ(back.commandHelp(3, k, j), "");
    }
    EXPECT_EQ(back.commandLine(4, 1), "untouched");
    EXPECT_EQ(back.listName(4), "List 4");
}

TEST(CmdLists, SaveAndLoadRoundTripEveryFieldAndTheReservedBytes)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    writeFileBytes(path, validFile(100));
    CmdLists lists;
    ASSERT_FALSE(lists.loadLists(path).rebuilt);
    lists.setListName(100, "\xD1\xEF\xE8\xF1\xEE\xEA");
    lists.setCommandLine(1, 48, "$01$02[SUM_8(0..n)]");
    lists.setCommandName(50, 1, "Start");
    lists.setCommandHelp(99, 48, 12, "last help line");
    lists.setCommandHelp(2, 1, 1, "first help line");
    ASSERT_TRUE(lists.saveLists(path).ok);

    CmdLists back;
    ASSERT_FALSE(back.loadLists(path).rebuilt);
    for (int n = 1; n <= 100; ++n)
        ASSERT_EQ(recordOf(back, n), recordOf(lists, n)) << "list " << n;
    EXPECT_EQ(back.listName(100), "\xD1\xEF\xE8\xF1\xEE\xEA");
    EXPECT_EQ(back.commandLine(1, 48), "$01$02[SUM_8(0..n)]");
    EXPECT_EQ(back.commandName(50, 1), "Start");
    EXPECT_EQ(back.commandHelp(99, 48, 12), "last help line");
    EXPECT_EQ(back.commandHelp(2, 1, 1), "first help line");
    EXPECT_EQ(recordOf(back, 42)[Reserved1], recordOf(validFile(100), 42)[Reserved1]);
    EXPECT_EQ(filesStartingWith(dir.path(), "CmdConfig.tmp"), std::vector<std::string>{});
}

TEST(CmdLists, IndexesOutsideTheListsAreIgnored)
{
    CmdLists lists;
    lists.setCommandLine(0, 1, "x");
    lists.setCommandLine(101, 1, "x");
    lists.setCommandName(1, 49, "x");
    lists.setCommandHelp(1, 1, 13, "x");
    lists.setListName(-1, "x");
    lists.clearList(101);
    EXPECT_EQ(lists.commandLine(101, 1), "");
    EXPECT_EQ(lists.commandHelp(1, 0, 1), "");
    EXPECT_EQ(lists.record(0), nullptr);
    for (int n = 1; n <= 100; ++n)
        ASSERT_EQ(recordOf(lists, n), std::string(Rec, '\0'));
}

TEST(CmdConfigSave, FailedWriteLeavesTheOldFileWhole)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    const std::string old = validFile(100);
    writeFileBytes(path, old);
    CmdLists lists;
    ASSERT_FALSE(lists.loadLists(path).rebuilt);
    lists.setCommandLine(1, 1, "changed");

    // As if the disk filled up half way through the new file.
    const auto saved = runWithFileSizeLimit(CmdLists::FileSize / 2, [&] { return lists.saveLists(path).ok; });
    ASSERT_TRUE(saved.has_value());
    EXPECT_FALSE(*saved);
    EXPECT_EQ(slurp(path), old);
    EXPECT_EQ(filesStartingWith(dir.path(), "CmdConfig.tmp"), std::vector<std::string>{});
}

TEST(CmdConfigLoad, FailedRebuildLeavesTheDamagedFileAndItsBackup)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    const std::string damaged = validFile(99);
    writeFileBytes(path, damaged);

    const auto loaded = runWithFileSizeLimit(CmdLists::FileSize / 2, [&] {
        CmdLists lists;
        const auto r = lists.loadLists(path);
        return r.rebuilt && r.backupKept && !r.io.ok && !r.io.error.empty();
    });
    ASSERT_TRUE(loaded.has_value());
    EXPECT_TRUE(*loaded);
    EXPECT_EQ(slurp(path), damaged);
    EXPECT_EQ(slurp(path + ".bak"), damaged);
    EXPECT_EQ(filesStartingWith(dir.path(), "CmdConfig.tmp"), std::vector<std::string>{});
}

TEST(CmdConfigLoad, NewDamageKeepsEveryEarlierBackup)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    writeFileBytes(path + ".bak", "the user's own backup");
    writeFileBytes(path, "garbage");
    CmdLists lists;
    const auto r = lists.loadLists(path);
    EXPECT_TRUE(r.rebuilt);
    EXPECT_FALSE(r.created);
    EXPECT_TRUE(r.backupKept);
    EXPECT_EQ(slurp(path + ".bak"), "the user's own backup");
    EXPECT_EQ(slurp(path + ".bak.1"), "garbage");
    EXPECT_EQ(slurp(path).size(), CmdLists::FileSize);

    writeFileBytes(path, "damaged again");
    EXPECT_TRUE(CmdLists().loadLists(path).backupKept);
    EXPECT_EQ(slurp(path + ".bak"), "the user's own backup");
    EXPECT_EQ(slurp(path + ".bak.1"), "garbage");
    EXPECT_EQ(slurp(path + ".bak.2"), "damaged again");
}

// A CmdConfig that is a link to a file kept elsewhere: the damaged content is
// kept whole in the backup, and the link stays a link.
TEST(CmdConfigLoad, ADamagedListsFileBehindALinkIsBackedUpWhole)
{
    TempDir dir;
    const std::string shared = dir.file("shared");
    writeFileBytes(shared, "garbage");
    const std::string path = dir.file("CmdConfig");
    ASSERT_EQ(::symlink("shared", path.c_str()), 0);
    CmdLists lists;
    const auto r = lists.loadLists(path);
    EXPECT_TRUE(r.backupKept);
    struct stat st {};
    ASSERT_EQ(::lstat((path + ".bak").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(slurp(path + ".bak"), "garbage");
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(slurp(shared).size(), CmdLists::FileSize);
}
