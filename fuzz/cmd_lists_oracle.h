#pragma once
// The CmdConfig record layout spelt out once more, from the file's side, so
// the command-list targets can read a record image without going through the
// code under test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "macros/cmd_lists.h"

namespace comtrax::fuzz {

constexpr std::size_t CmdRec = CmdLists::RecordSize;

struct Field {
    std::size_t offset;
    std::size_t capacity;
};

inline Field listNameField()
{
    return {0, 151};
}
inline Field cmdLineField(int k)
{
    return {152 + std::size_t(k - 1) * 252, 251};
}
inline Field cmdNameField(int k)
{
    return {12248 + std::size_t(k - 1) * 52, 51};
}
inline Field cmdHelpField(int k, int j)
{
    return {14744 + std::size_t(k - 1) * 1824 + std::size_t(j - 1) * 152, 151};
}

// Every string field of a record: name, 48 lines, 48 names, 48 x 12 help lines.
inline std::vector<Field> allFields()
{
    std::vector<Field> f{listNameField()};
    for (int k = 1; k <= 48; ++k) {
        f.push_back(cmdLineField(k));
        f.push_back(cmdNameField(k));
        for (int j = 1; j <= 12; ++j)
            f.push_back(cmdHelpField(k, j));
    }
    return f;
}

// A field's text as the record holds it; nothing beyond the field is read.
inline std::string fieldText(const std::string& record, Field f)
{
    const std::size_t len = std::min<std::size_t>(static_cast<unsigned char>(record[f.offset]), f.capacity);
    return record.substr(f.offset + 1, len);
}

inline int32_t markOf(const std::string& record)
{
    return getLE32(reinterpret_cast<const unsigned char*>(record.data() + 102500));
}

inline int32_t markAt(const std::string& image, std::size_t recordStart)
{
    return getLE32(reinterpret_cast<const unsigned char*>(image.data() + recordStart + 102500));
}

inline void setMark(std::string& record, int32_t mark)
{
    putLE32(reinterpret_cast<unsigned char*>(record.data() + 102500), mark);
}

inline void putText(std::string& record, Field f, const std::string& text)
{
    const std::size_t len = std::min(text.size(), f.capacity);
    record[f.offset] = static_cast<char>(len);
    record.replace(f.offset + 1, len, text, 0, len);
}

// Record n of a file that the program itself could have written: every kind
// of field filled, marker bytes in both reserved areas, mark 12345.
inline std::string sampleRecord(int n)
{
    std::string r(CmdRec, '\0');
    const std::string tag = std::to_string(n);
    putText(r, listNameField(), "Panel " + tag);
    for (int k = 1; k <= 48; k += 7) {
        putText(r, cmdLineField(k), "AT+CMD" + tag + "=" + std::to_string(k));
        putText(r, cmdNameField(k), "Btn " + std::to_string(k));
        putText(r, cmdHelpField(k, 1 + k % 12), "help " + tag + "/" + std::to_string(k));
    }
    r[102296] = static_cast<char>(0xA0 + n % 16);
    r[102504 + 75] = static_cast<char>(0xB0 + n % 16);
    setMark(r, CmdLists::ValidMarkValue);
    return r;
}

inline std::string recordOf(const CmdLists& lists, int n)
{
    return std::string(reinterpret_cast<const char*>(lists.record(n)), CmdRec);
}

// List n in memory against record n of a file image (or any 102 580 bytes at `at`).
inline bool sameRecord(const CmdLists& lists, int n, const std::string& image, std::size_t at)
{
    return image.size() >= at + CmdRec
        && image.compare(at, CmdRec, reinterpret_cast<const char*>(lists.record(n)), CmdRec) == 0;
}

// The lists as start-up finds them: all zero bytes. Copied over a kept
// instance, which reuses its 10 MB instead of mapping fresh pages each run.
inline void resetLists(CmdLists& lists)
{
    static const CmdLists fresh;
    lists = fresh;
}

}  // namespace comtrax::fuzz
