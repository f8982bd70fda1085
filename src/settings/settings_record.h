#pragma once
// SettingsRecord: the 788-byte record of CfgTerminal, packed byte by byte,
// little-endian. Bytes no field owns are carried through as they were read.
#include <array>
#include <cstdint>
#include <string>

#include "common/file_io.h"

namespace comtrax {

class SettingsRecord {
public:
    static constexpr std::size_t Size = 788;
    static constexpr std::size_t TextCapacity = 250;

    SettingsRecord();  // 788 zero bytes

    // LastPort: a 32-bit hash of the port name, 0 when no port was opened.
    static uint32_t portHash(const std::string& name);
    uint32_t lastPort() const;
    void setLastPort(uint32_t hash);

    uint8_t baudIndex() const { return b_[4]; }
    void setBaudIndex(uint8_t v) { b_[4] = v; }
    uint8_t bitsIndex() const { return b_[5]; }
    void setBitsIndex(uint8_t v) { b_[5] = v; }
    uint8_t stopBitsIndex() const { return b_[6]; }
    void setStopBitsIndex(uint8_t v) { b_[6] = v; }
    uint8_t autoConnectOn() const { return b_[7]; }
    void setAutoConnectOn(uint8_t v) { b_[7] = v; }
    int32_t timeRxMs() const;
    void setTimeRxMs(int32_t v);
    std::string filterText() const;
    void setFilterText(const std::string& s);
    int32_t fontSize() const;
    void setFontSize(int32_t v);
    uint32_t backColor() const;
    void setBackColor(uint32_t v);
    uint32_t textColor() const;
    void setTextColor(uint32_t v);
    uint8_t showTime() const { return b_[276]; }
    void setShowTime(uint8_t v) { b_[276] = v; }
    uint8_t inputEncoding() const { return b_[277]; }
    void setInputEncoding(uint8_t v) { b_[277] = v; }
    uint8_t sendMode() const { return b_[278]; }
    void setSendMode(uint8_t v) { b_[278] = v; }
    int32_t periodMs() const;
    void setPeriodMs(int32_t v);
    uint8_t sendOnConnect() const { return b_[284]; }
    void setSendOnConnect(uint8_t v) { b_[284] = v; }
    std::string commandText() const;
    void setCommandText(const std::string& s);
    std::string suffixText() const;
    void setSuffixText(const std::string& s);
    uint8_t showNames() const { return b_[787]; }
    void setShowNames(uint8_t v) { b_[787] = v; }

    bool allZero() const;
    const std::array<unsigned char, Size>& bytes() const { return b_; }
    void setBytes(const std::array<unsigned char, Size>& b) { b_ = b; }

private:
    std::array<unsigned char, Size> b_{};
};

// PeriodTX text as stored: a decimal integer; empty or not a number gives 1000.
int32_t periodFromText(const std::string& text);

enum class SettingsLoad {
    Created,    // no file: written as 788 zero bytes, controls keep their built-in values
    Blank,      // 788 zero bytes (a first run that never closed): treated like a missing file
    Loaded,     // apply the record
    Failed,     // reported error (e.g. a short file); nothing applied, the next save writes a whole record
    Unreadable  // the file is there but could not be read: reported, and never overwritten
};

struct SettingsLoadResult {
    SettingsLoad kind = SettingsLoad::Created;
    FileResult io;
};

SettingsLoadResult loadSettingsFile(const std::string& path, SettingsRecord& record);
FileResult saveSettingsFile(const std::string& path, const SettingsRecord& record);

}  // namespace comtrax
