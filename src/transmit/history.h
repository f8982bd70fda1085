#pragma once
// SentHistory: the last 50 distinct lines sent, slot 1 the most recent, and its
// stored form, the 12 800-byte file OldCmd (50 records of 256 bytes).
#include <array>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace comtrax {

class SentHistory {
public:
    static constexpr int Slots = 50;
    static constexpr int RecordSize = 256;
    static constexpr int FileSize = Slots * RecordSize;

    SentHistory();

    // Move-to-front of a sent line; lines of 255 or more characters are ignored.
    void recordSent(const std::string& line);
    // Text of slot 1..50 (empty for an empty slot).
    std::string slot(int index) const;
    // Texts of the non-empty slots, slot 1 first (what the drop-down lists).
    std::vector<std::string> nonEmpty() const;

    // The 50 records exactly as held in memory.
    std::string toBytes() const;
    // Fills the slots from file bytes; a short file leaves the missing records empty.
    void fromBytes(const std::string& bytes);

    // Start-up: reads OldCmd, or creates it with 50 empty records when missing.
    FileResult load(const std::string& path);
    // Shut-down: rewrites OldCmd only if it still exists. saved tells whether it did.
    FileResult saveIfPresent(const std::string& path, bool* saved = nullptr) const;

private:
    std::array<std::array<unsigned char, RecordSize>, Slots> slots_{};
};

}  // namespace comtrax
