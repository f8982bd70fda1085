#include "plot/plot_store.h"

#include <algorithm>

namespace comtrax {

namespace {
constexpr double NoValue = std::numeric_limits<double>::quiet_NaN();
}

PlotStore::PlotStore(std::size_t capacity) : capacity_(std::clamp(capacity, MinCapacity, MaxCapacity))
{
    rebuild(capacity_);
}

void PlotStore::setCapacity(std::size_t capacity)
{
    capacity = std::clamp(capacity, MinCapacity, MaxCapacity);
    if (capacity != capacity_)
        rebuild(capacity);
}

// The kept rows, newest last, moved into a ring of the new size: the oldest
// go when it is smaller.
void PlotStore::rebuild(std::size_t capacity)
{
    const std::size_t keep = std::min(count_, capacity);
    const std::size_t skip = count_ - keep;
    std::vector<uint64_t> sampleNos(keep);
    std::vector<int64_t> times(keep);
    std::vector<std::vector<double>> values(names_.size(), std::vector<double>(keep));
    for (std::size_t i = 0; i < keep; ++i) {
        const std::size_t from = slot(skip + i);
        sampleNos[i] = sampleNos_[from];
        times[i] = times_[from];
        for (std::size_t c = 0; c < names_.size(); ++c)
            values[c][i] = values_[c][from];
    }
    sampleNos_ = std::move(sampleNos);
    times_ = std::move(times);
    values_ = std::move(values);
    capacity_ = capacity;
    head_ = 0;
    count_ = keep;
}

void PlotStore::clear()
{
    head_ = 0;
    count_ = 0;
    nextSampleNo_ = 0;
    droppedValues_ = 0;
    channelsCapped_ = false;
    sampleNos_.clear();
    times_.clear();
    names_.clear();
    values_.clear();
}

int PlotStore::channelFor(std::string_view name)
{
    if (name.size() > MaxNameBytes)
        name = name.substr(0, MaxNameBytes);
    for (std::size_t c = 0; c < names_.size(); ++c) {
        if (names_[c] == name)
            return static_cast<int>(c);
    }
    if (names_.size() >= MaxChannels) {
        channelsCapped_ = true;
        return -1;
    }
    names_.emplace_back(name);
    // A new channel had no value in the rows before it.
    values_.emplace_back(sampleNos_.size(), NoValue);
    return static_cast<int>(names_.size() - 1);
}

bool PlotStore::addSample(int64_t timeNs, const std::vector<NamedValue>& values)
{
    std::vector<std::pair<int, double>> taken;
    taken.reserve(values.size());
    for (const NamedValue& v : values) {
        if (!std::isfinite(v.value)) {
            ++droppedValues_;
            continue;
        }
        const int channel = channelFor(v.name);
        if (channel < 0) {
            ++droppedValues_;
            continue;
        }
        taken.emplace_back(channel, v.value);
    }
    if (taken.empty())
        return false;
    if (count_ == 0 && nextSampleNo_ == 0)
        originNs_ = timeNs;
    std::size_t at = 0;
    if (sampleNos_.size() < capacity_) {
        // Still growing: the ring is the vectors in order.
        at = sampleNos_.size();
        sampleNos_.push_back(0);
        times_.push_back(0);
        for (auto& column : values_)
            column.push_back(NoValue);
        ++count_;
    } else {
        at = slot(count_ == capacity_ ? 0 : count_);
        if (count_ == capacity_)
            head_ = (head_ + 1) % capacity_;
        else
            ++count_;
        for (auto& column : values_)
            column[at] = NoValue;
    }
    sampleNos_[at] = nextSampleNo_++;
    times_[at] = timeNs;
    for (const auto& [channel, value] : taken)
        values_[channel][at] = value;
    return true;
}

double PlotStore::x(std::size_t row, XAxis axis) const
{
    if (axis == XAxis::Sample)
        return static_cast<double>(sampleNumber(row));
    return static_cast<double>(timeNs(row) - originNs_) / 1e9;
}

std::size_t PlotStore::lowerBound(double x, XAxis axis) const
{
    std::size_t low = 0;
    std::size_t high = count_;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (this->x(mid, axis) < x)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

std::vector<DecimatedPoint> decimateChannel(const PlotStore& store, std::size_t channel,
                                            PlotStore::XAxis axis, double xFrom, double xTo, int columns)
{
    std::vector<DecimatedPoint> out;
    if (channel >= store.channelCount() || columns <= 0 || !(xTo > xFrom) || store.rowCount() == 0)
        return out;
    const std::size_t first = store.lowerBound(xFrom, axis);
    const std::size_t end =
        store.lowerBound(std::nextafter(xTo, std::numeric_limits<double>::infinity()), axis);
    // The last value before the range and the first after it, so the line
    // reaches the edges of the view.
    auto nearest = [&](std::size_t row, int step) -> int64_t {
        for (int64_t r = static_cast<int64_t>(row); r >= 0 && r < static_cast<int64_t>(store.rowCount());
             r += step) {
            if (!std::isnan(store.value(channel, static_cast<std::size_t>(r))))
                return r;
            if (std::abs(r - static_cast<int64_t>(row)) > 4096)
                break;  // a long gap: the line does not run into it
        }
        return -1;
    };
    if (first > 0) {
        const int64_t before = nearest(first - 1, -1);
        if (before >= 0)
            out.push_back({store.x(before, axis), store.value(channel, before)});
    }
    const double columnWidth = (xTo - xFrom) / columns;
    // The rows are walked slot by slot (a million of them per frame), the
    // ring's wrap taken as it comes.
    const std::size_t slots = store.slotCount();
    const uint64_t* numbers = store.sampleNumberSlots();
    const int64_t* times = store.timeSlots();
    const double* values = store.valueSlots(channel);
    const int64_t origin = store.originNs();
    std::size_t at = first < end ? store.slotOf(first) : 0;
    auto xAt = [&](std::size_t slot) {
        return axis == PlotStore::XAxis::Sample ? static_cast<double>(numbers[slot])
                                                : static_cast<double>(times[slot] - origin) / 1e9;
    };
    std::size_t row = first;
    while (row < end) {
        const int column = std::min(columns - 1, static_cast<int>((xAt(at) - xFrom) / columnWidth));
        const double columnEnd = column + 1 >= columns ? std::numeric_limits<double>::infinity()
                                                       : xFrom + (column + 1) * columnWidth;
        DecimatedPoint low{0, std::numeric_limits<double>::infinity()};
        DecimatedPoint high{0, -std::numeric_limits<double>::infinity()};
        bool any = false;
        // The column's first row is always its own, whatever the rounding
        // says, so every pass moves on.
        for (const std::size_t columnStart = row; row < end; ++row, at = at + 1 == slots ? 0 : at + 1) {
            const double x = xAt(at);
            if (x >= columnEnd && row > columnStart)
                break;
            const double y = values[at];
            if (std::isnan(y))
                continue;
            if (y < low.y)
                low = {x, y};
            if (y > high.y)
                high = {x, y};
            any = true;
        }
        if (!any)
            continue;
        if (low.y == high.y) {
            out.push_back(low);
        } else if (low.x <= high.x) {
            out.push_back(low);
            out.push_back(high);
        } else {
            out.push_back(high);
            out.push_back(low);
        }
    }
    if (end < store.rowCount()) {
        const int64_t after = nearest(end, 1);
        if (after >= 0)
            out.push_back({store.x(after, axis), store.value(channel, after)});
    }
    return out;
}

}  // namespace comtrax
