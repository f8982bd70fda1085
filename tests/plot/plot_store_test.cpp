// The sample store: a ring per row kept in arrival order, channels made by
// name up to a cap, and the min/max decimation that must keep every
// column's extremes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "plot/plot_feed.h"
#include "plot/plot_store.h"

using namespace comtrax;

namespace {

std::vector<NamedValue> one(const std::string& name, double v)
{
    return {{name, v}};
}

}  // namespace

TEST(PlotStore, KeepsTheNewestRowsOfItsCapacityWithTheirNumbersAndTimes)
{
    PlotStore store(1000);
    for (int i = 0; i < 2500; ++i)
        ASSERT_TRUE(store.addSample(1000 + i, one("a", i)));
    ASSERT_EQ(store.rowCount(), 1000u);
    for (std::size_t row = 0; row < store.rowCount(); ++row) {
        EXPECT_EQ(store.sampleNumber(row), 1500 + row);
        EXPECT_EQ(store.timeNs(row), 2500 + static_cast<int64_t>(row));
        EXPECT_EQ(store.value(0, row), 1500.0 + row);
    }
    EXPECT_EQ(store.originNs(), 1000);
    EXPECT_DOUBLE_EQ(store.x(0, PlotStore::XAxis::Time), 1500e-9);
}

TEST(PlotStore, CapacityIsClampedAndShrinkingKeepsTheNewest)
{
    EXPECT_EQ(PlotStore(5).capacity(), PlotStore::MinCapacity);
    EXPECT_EQ(PlotStore(5000000).capacity(), PlotStore::MaxCapacity);
    PlotStore store(3000);
    for (int i = 0; i < 2500; ++i)
        store.addSample(i, one("a", i));
    store.setCapacity(1000);
    ASSERT_EQ(store.rowCount(), 1000u);
    EXPECT_EQ(store.value(0, 0), 1500);
    EXPECT_EQ(store.value(0, 999), 2499);
    store.addSample(9999, one("a", -1));  // the ring goes on from the rebuilt place
    EXPECT_EQ(store.value(0, 0), 1501);
    EXPECT_EQ(store.value(0, 999), -1);
    store.setCapacity(2000);
    store.addSample(10000, one("a", -2));
    EXPECT_EQ(store.rowCount(), 1001u);
    EXPECT_EQ(store.value(0, 1000), -2);
}

TEST(PlotStore, ChannelsComeByNameAndHaveNoValueWhereASampleLackedThem)
{
    PlotStore store;
    store.addSample(1, {{"a", 1}});
    store.addSample(2, {{"b", 2}, {"a", 3}});
    store.addSample(3, {{"b", 4}});
    ASSERT_EQ(store.channelCount(), 2u);
    EXPECT_EQ(store.channelName(1), "b");
    EXPECT_TRUE(std::isnan(store.value(1, 0)));
    EXPECT_EQ(store.value(0, 1), 3);
    EXPECT_TRUE(std::isnan(store.value(0, 2)));
    EXPECT_EQ(store.value(1, 2), 4);
}

TEST(PlotStore, BadValuesAndChannelsBeyondTheCapAreCountedNotStored)
{
    PlotStore store;
    EXPECT_FALSE(store.addSample(1, {{"a", NAN}, {"b", INFINITY}}));
    EXPECT_EQ(store.rowCount(), 0u);
    std::vector<NamedValue> many;
    for (std::size_t i = 0; i < PlotStore::MaxChannels + 10; ++i)
        many.push_back({"c" + std::to_string(i), 1.0 * i});
    EXPECT_TRUE(store.addSample(2, many));
    EXPECT_EQ(store.channelCount(), PlotStore::MaxChannels);
    EXPECT_TRUE(store.channelsCapped());
    EXPECT_EQ(store.droppedValues(), 12u);
    EXPECT_FALSE(store.addSample(3, {{"beyond", 1}}));
    // A 1 MB name is cut to a bounded one.
    PlotStore named;
    named.addSample(1, {{std::string(1 << 20, 'x'), 1}});
    EXPECT_EQ(named.channelName(0).size(), PlotStore::MaxNameBytes);
    store.clear();
    EXPECT_EQ(store.channelCount(), 0u);
    EXPECT_FALSE(store.channelsCapped());
}

TEST(PlotStore, LowerBoundFindsTheFirstRowAtOrAfterX)
{
    PlotStore store;
    for (int64_t t : {0LL, 1000000000LL, 1000000000LL, 3000000000LL})
        store.addSample(t, {{"a", 1}});
    EXPECT_EQ(store.lowerBound(1.0, PlotStore::XAxis::Time), 1u);
    EXPECT_EQ(store.lowerBound(1.5, PlotStore::XAxis::Time), 3u);
    EXPECT_EQ(store.lowerBound(9, PlotStore::XAxis::Time), 4u);
    EXPECT_EQ(store.lowerBound(2, PlotStore::XAxis::Sample), 2u);
}

TEST(Decimation, KeepsTheMinimumAndMaximumOfEveryColumnInTheirOrder)
{
    PlotStore store(PlotStore::MaxCapacity);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 10);
    const int rows = 200000;
    for (int i = 0; i < rows; ++i)
        store.addSample(i, {{"a", (i % 997 == 5 ? NAN : noise(random))}, {"b", 1}});
    for (const auto& [from, to, columns] :
         {std::tuple{0.0, 199999.0, 300}, {1000.5, 1500.5, 7}, {0.0, 10.0, 800}}) {
        const std::vector<DecimatedPoint> points =
            decimateChannel(store, 0, PlotStore::XAxis::Sample, from, to, columns);
        EXPECT_LE(points.size(), 2u * columns + 2);
        const double width = (to - from) / columns;
        for (int c = 0; c < columns; ++c) {
            double low = INFINITY;
            double high = -INFINITY;
            for (int i = static_cast<int>(std::ceil(from + c * width));
                 i < rows && i <= to && i < from + (c + 1) * width; ++i) {
                if (!std::isnan(store.value(0, i))) {
                    low = std::min(low, store.value(0, i));
                    high = std::max(high, store.value(0, i));
                }
            }
            if (std::isinf(low))
                continue;
            auto has = [&](double y) {
                return std::any_of(points.begin(), points.end(), [&](const DecimatedPoint& p) {
                    return p.y == y && p.x >= from + c * width - 1e-9 && p.x <= from + (c + 1) * width;
                });
            };
            EXPECT_TRUE(has(low)) << "column " << c << " of " << columns;
            EXPECT_TRUE(has(high)) << "column " << c << " of " << columns;
        }
        for (std::size_t i = 1; i < points.size(); ++i)
            EXPECT_LE(points[i - 1].x, points[i].x);
    }
    // A flat channel gives one point per column.
    EXPECT_LE(decimateChannel(store, 1, PlotStore::XAxis::Sample, 0, 199999, 100).size(), 102u);
    // Nothing for an empty range, no columns or a channel that is not there.
    EXPECT_TRUE(decimateChannel(store, 0, PlotStore::XAxis::Sample, 5, 5, 100).empty());
    EXPECT_TRUE(decimateChannel(store, 0, PlotStore::XAxis::Sample, 0, 5, 0).empty());
    EXPECT_TRUE(decimateChannel(store, 9, PlotStore::XAxis::Sample, 0, 5, 10).empty());
}

TEST(Decimation, RunsTheLineToTheEdgesOfTheView)
{
    PlotStore store;
    for (int i = 0; i < 100; ++i)
        store.addSample(i, {{"a", 1.0 * i}});
    const auto points = decimateChannel(store, 0, PlotStore::XAxis::Sample, 10.5, 20.5, 10);
    ASSERT_GE(points.size(), 2u);
    EXPECT_EQ(points.front(), (DecimatedPoint{10, 10}));
    EXPECT_EQ(points.back(), (DecimatedPoint{21, 21}));
}

TEST(PlotCsv, HasAHeaderARowPerSampleAndEmptyCellsForMissingValues)
{
    PlotStore store;
    store.addSample(1000000000, {{"a", 1.5}});
    store.addSample(1500000000, {{"b,c", -2}, {"a", 0.1}});
    EXPECT_EQ(plotStoreCsv(store),
              "sample,time_s,a,\"b,c\"\n"
              "0,0.000000000,1.5,\n"
              "1,0.500000000,0.1,-2\n");
}

TEST(Decimation, WalksTheRingAcrossItsWrapByTimeAndBySample)
{
    PlotStore store(1000);
    for (int i = 0; i < 2600; ++i)
        store.addSample(i * 1000000LL, {{"a", static_cast<double>((i * 37) % 101)}});
    for (PlotStore::XAxis axis : {PlotStore::XAxis::Sample, PlotStore::XAxis::Time}) {
        const double from = store.x(0, axis);
        const double to = store.x(999, axis);
        const auto points = decimateChannel(store, 0, axis, from, to, 10);
        // Each tenth of the kept rows holds both 0 and 100 somewhere: every
        // column gives exactly its two extremes.
        ASSERT_EQ(points.size(), 20u);
        for (std::size_t i = 0; i < points.size(); i += 2) {
            EXPECT_EQ(std::min(points[i].y, points[i + 1].y), 0);
            EXPECT_EQ(std::max(points[i].y, points[i + 1].y), 100);
        }
        EXPECT_EQ(points.front().x >= from, true);
    }
}
