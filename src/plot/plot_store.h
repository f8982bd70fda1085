#pragma once
// The values the plot shows, held apart from any drawing: a ring of rows, one
// row per sample (a text line or a frame), each with its sample number, its
// receive time and one value per channel (NaN where the sample had none for
// that channel). Rows are kept in arrival order, so both the sample numbers
// and the times only grow, and a range of X is found by a binary search.
// Memory: 16 bytes per row plus 8 bytes per row and channel (64 channels of
// 1,000,000 rows: about 530 MB).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace comtrax {

// One value of a sample, for the channel of that name.
struct NamedValue {
    std::string name;
    double value = 0;
    bool operator==(const NamedValue&) const = default;
};

class PlotStore {
public:
    static constexpr std::size_t MinCapacity = 1000;
    static constexpr std::size_t MaxCapacity = 1000000;
    static constexpr std::size_t DefaultCapacity = 10000;
    // Beyond this many channels new names are not taken (and counted).
    static constexpr std::size_t MaxChannels = 256;
    static constexpr std::size_t MaxNameBytes = 64;

    explicit PlotStore(std::size_t capacity = DefaultCapacity);

    // Rows kept at most, clamped to MinCapacity..MaxCapacity; a smaller
    // capacity drops the oldest rows.
    void setCapacity(std::size_t capacity);
    std::size_t capacity() const { return capacity_; }

    // A sample: its values by channel name (a new name makes a channel while
    // fewer than MaxChannels exist; a name repeated takes its last value).
    // Non-finite values are never stored. Returns false when nothing of it
    // was taken (no value, or only channels beyond the cap).
    bool addSample(int64_t timeNs, const std::vector<NamedValue>& values);
    void clear();  // the rows and the channels; the sample numbers start again

    std::size_t rowCount() const { return count_; }
    std::size_t channelCount() const { return names_.size(); }
    const std::string& channelName(std::size_t channel) const { return names_[channel]; }
    // Row i, 0 the oldest kept.
    uint64_t sampleNumber(std::size_t row) const { return sampleNos_[slot(row)]; }
    int64_t timeNs(std::size_t row) const { return times_[slot(row)]; }
    double value(std::size_t channel, std::size_t row) const { return values_[channel][slot(row)]; }
    // The time of the first sample since the last clear (X by time starts there).
    int64_t originNs() const { return originNs_; }
    // Rows whose value could not be kept: names beyond the cap, values that are no number.
    uint64_t droppedValues() const { return droppedValues_; }
    bool channelsCapped() const { return channelsCapped_; }
    // Counts every row ever added; the window redraws when it moved.
    uint64_t generation() const { return nextSampleNo_; }

    // X of a row: its sample number or its seconds since originNs().
    enum class XAxis { Sample, Time };
    double x(std::size_t row, XAxis axis) const;
    // The first row whose X is >= x (rowCount() when none).
    std::size_t lowerBound(double x, XAxis axis) const;

    // The rows as they lie in memory, for walking many of them without a
    // division each: row i is at slot (slotOf(0) + i) wrapped at slotCount().
    std::size_t slotOf(std::size_t row) const { return slot(row); }
    std::size_t slotCount() const { return sampleNos_.size(); }
    const uint64_t* sampleNumberSlots() const { return sampleNos_.data(); }
    const int64_t* timeSlots() const { return times_.data(); }
    const double* valueSlots(std::size_t channel) const { return values_[channel].data(); }

private:
    std::size_t slot(std::size_t row) const { return (head_ + row) % capacity_; }
    int channelFor(std::string_view name);
    void rebuild(std::size_t capacity);

    std::size_t capacity_;
    std::size_t head_ = 0;  // the slot of the oldest row
    std::size_t count_ = 0;
    uint64_t nextSampleNo_ = 0;
    int64_t originNs_ = 0;
    uint64_t droppedValues_ = 0;
    bool channelsCapped_ = false;
    std::vector<uint64_t> sampleNos_;
    std::vector<int64_t> times_;
    std::vector<std::string> names_;
    std::vector<std::vector<double>> values_;  // per channel, the same slots as the rows
};

// One pixel column's worth of a channel: the values in it reduced to the
// smallest and the largest, in the order they came, so a line through the
// points still goes up and down as the data did.
struct DecimatedPoint {
    double x = 0;
    double y = 0;
    bool operator==(const DecimatedPoint&) const = default;
};
// The points of a channel between xFrom and xTo drawn into columns pixel
// columns: each column with values gives its minimum and maximum (one point
// when they are equal), the row before and after the range are added so the
// line runs to the edges, and the cost is that of the rows in range, never
// more points than 2 * columns + 2.
std::vector<DecimatedPoint> decimateChannel(const PlotStore& store, std::size_t channel,
                                            PlotStore::XAxis axis, double xFrom, double xTo, int columns);

}  // namespace comtrax
