#pragma once
// PlotFeed: the received packets made into samples of the store, by the
// source the user chose (text lines, a regular expression, or HEX fields of
// binary frames). Every packet is taken as it comes, whether or not the
// plot is drawn: drawing reads the store later, at its own pace.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/bounded_regex.h"
#include "plot/hex_fields.h"
#include "plot/plot_store.h"
#include "plot/text_lines.h"
#include "receive/received_packet.h"
#include "transmit/codec.h"

namespace comtrax {

enum class PlotSource { Plotter, Csv, Regex, HexFields };

struct PlotSourceSettings {
    PlotSource source = PlotSource::Plotter;
    std::string pattern;    // for Regex: one channel per capture group
    std::string hexFields;  // for HexFields: see parseHexFields
    ChecksumCondition checksum;
    bool operator==(const PlotSourceSettings&) const = default;
};

// What did not become a value, for the window's status line.
struct PlotFeedCounts {
    uint64_t samples = 0;
    uint64_t skippedFields = 0;   // no number, beyond the field cap, beyond the packet
    uint64_t rejectedFrames = 0;  // checksum condition not met
    uint64_t overlongLines = 0;
    uint64_t regexLimits = 0;  // the regular expression gave up on a line
};

class PlotFeed {
public:
    explicit PlotFeed(PlotStore& store) : store_(store) {}

    // A new source: false with error when the pattern or the fields do not
    // parse (the previous source stays). The stream starts again either way.
    bool configure(const PlotSourceSettings& settings, std::string& error);
    const PlotSourceSettings& settings() const { return settings_; }

    void take(const ReceivedPacket& packet);
    // After connecting or clearing: the next text line may be a piece.
    void restartStream();
    const PlotFeedCounts& counts() const { return counts_; }

private:
    void takeLine(std::string_view line, int64_t timeNs);
    void add(int64_t timeNs, const std::vector<NamedValue>& values);

    PlotStore& store_;
    PlotSourceSettings settings_;
    std::optional<BoundedRegex> regex_;
    std::vector<HexField> fields_;
    std::vector<std::string> header_;
    LineSplitter lines_;
    PlotFeedCounts counts_;
};

// The store as CSV: "sample,time_s" and one column per channel, a row per
// sample, empty where a channel had no value; names quoted as CSV needs.
std::string plotStoreCsv(const PlotStore& store);

}  // namespace comtrax
