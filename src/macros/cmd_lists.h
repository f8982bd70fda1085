#pragma once
// The 100 command lists of the macro panel and their file CmdConfig: a byte image
// of 100 records of 102 580 bytes each.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace comtrax {

class CmdLists {
public:
    static constexpr int Lists = 100;
    static constexpr int Macros = 48;
    static constexpr int HelpLinesPerMacro = 12;
    static constexpr std::size_t RecordSize = 102580;
    static constexpr std::size_t FileSize = RecordSize * Lists;
    static constexpr int32_t ValidMarkValue = 12345;
    // Field offsets within a record and capacities.
    static constexpr std::size_t ListNameOffset = 0, ListNameCapacity = 151;
    static constexpr std::size_t CmdLinesOffset = 152, CmdLineCapacity = 251, CmdLineStride = 252;
    static constexpr std::size_t CmdNamesOffset = 12248, CmdNameCapacity = 51, CmdNameStride = 52;
    static constexpr std::size_t CmdHelpsOffset = 14744, CmdHelpCapacity = 151, CmdHelpStride = 152;
    static constexpr std::size_t ValidMarkOffset = 102500;

    CmdLists();  // all zero bytes
    CmdLists(const CmdLists& other);
    CmdLists& operator=(const CmdLists& other);
    CmdLists(CmdLists&&) noexcept = default;
    CmdLists& operator=(CmdLists&&) noexcept = default;

    struct LoadResult {
        bool rebuilt = false;     // the defaults replaced a missing or damaged file
        bool created = false;     // there was no file: a first start, nothing wrong
        bool backupKept = false;  // the damaged file was kept as CmdConfig.bak (or .bak.N)
        FileResult io;            // failure of a file operation, if any
    };
    // Start-up: reads the file or rebuilds the defaults and writes them.
    // The message about a damaged file is the caller's to show when rebuilt.
    LoadResult loadLists(const std::string& path);
    FileResult saveLists(const std::string& path) const;

    void clearList(int n);
    void setCommandLine(int n, int k, const std::string& text);
    void setCommandName(int n, int k, const std::string& text);
    void setCommandHelp(int n, int k, int j, const std::string& text);
    void setListName(int n, const std::string& text);
    std::string commandLine(int n, int k) const;
    std::string commandName(int n, int k) const;
    std::string commandHelp(int n, int k, int j) const;
    std::string listName(int n) const;
    int32_t validMark(int n) const;

    // Raw record n (1..100), for tests and tools.
    const unsigned char* record(int n) const;
    void setDefaults();  // "List n", empty macros, mark 12345, reserved bytes untouched

private:
    unsigned char* rec(int n);
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    // The 10 MB image, mostly zeros: allocated as fresh zero pages and filled
    // only where something is, so the empty parts cost no memory.
    std::unique_ptr<unsigned char[], Free> data_;
};

}  // namespace comtrax
