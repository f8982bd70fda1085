// The feed: packets as the receiver tells them, made into samples by each
// source; the settings file.
#include <gtest/gtest.h>

#include <cmath>

#include "plot/plot_feed.h"
#include "plot/plot_settings.h"
#include "support/temp_dir.h"

using namespace comtrax;

namespace {

struct Rig {
    PlotStore store;
    PlotFeed feed{store};
    void configure(PlotSource source, const std::string& pattern = {}, const std::string& fields = {},
                   ChecksumCondition checksum = {})
    {
        std::string error;
        ASSERT_TRUE(feed.configure({source, pattern, fields, checksum}, error)) << error;
    }
    void packet(std::string_view bytes, int64_t t, bool silence = true)
    {
        feed.take(ReceivedPacket{bytes, t, t + 1, silence});
    }
    std::vector<double> column(std::size_t channel) const
    {
        std::vector<double> out;
        for (std::size_t r = 0; r < store.rowCount(); ++r)
            out.push_back(store.value(channel, r));
        return out;
    }
};

}  // namespace

TEST(PlotFeed, PlotterLinesAcrossPacketsEachASampleAtItsFirstByte)
{
    Rig rig;
    rig.configure(PlotSource::Plotter);
    rig.packet("b:9\na:1 b:2 c:3\na:4 b:", 100);
    rig.packet("5 c:6\r\n", 200);
    ASSERT_EQ(rig.store.rowCount(), 2u);
    ASSERT_EQ(rig.store.channelCount(), 3u);
    EXPECT_EQ(rig.column(1), (std::vector<double>{2, 5}));
    EXPECT_EQ(rig.store.timeNs(0), 100);
    EXPECT_EQ(rig.store.timeNs(1), 100);
    EXPECT_EQ(rig.feed.counts().samples, 2u);
}

TEST(PlotFeed, RegexGroupsAreChannelsNamedByTheirNames)
{
    Rig rig;
    rig.configure(PlotSource::Regex, R"(T=(?<temp>[-\d.]+) P=([\d.]+))");
    rig.packet("noise\n", 1);
    rig.packet("x T=21.5 P=1013\n", 2);
    rig.packet("T=1.2.3 P=1000", 3);  // a silence ends a log line
    rig.packet("nothing here", 4);
    ASSERT_EQ(rig.store.channelCount(), 2u);
    EXPECT_EQ(rig.store.channelName(0), "temp");
    EXPECT_EQ(rig.store.channelName(1), "group 2");
    EXPECT_EQ(rig.column(1), (std::vector<double>{1013, 1000}));
    EXPECT_TRUE(std::isnan(rig.column(0)[1]));
    EXPECT_EQ(rig.feed.counts().skippedFields, 1u);
}

TEST(PlotFeed, ARegexMatchingEverythingOrNothingAddsNoValues)
{
    for (const char* pattern : {".*", "(.*)", "^$x", "(a+)+$"}) {
        Rig rig;
        rig.configure(PlotSource::Regex, pattern);
        rig.packet("\n", 0);
        rig.packet(std::string(20000, 'a') + "b\n", 1);
        rig.packet("text\n", 2);
        EXPECT_EQ(rig.store.rowCount(), 0u) << pattern;
    }
    Rig rig;
    rig.configure(PlotSource::Regex, R"(\d+)");
    rig.packet("\nv 12 and 13\n", 0);
    EXPECT_EQ(rig.column(0), (std::vector<double>{12}));
    std::string error;
    EXPECT_FALSE(rig.feed.configure({PlotSource::Regex, "(unclosed", {}, {}}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(rig.feed.settings().pattern, R"(\d+)");
}

TEST(PlotFeed, HexFramesOnlyWholeAndWithAGoodChecksum)
{
    Rig rig;
    rig.configure(PlotSource::HexFields, {}, "reg 3 u16be", {ChecksumCondition::Kind::ModbusFrame, 0});
    const std::string good("\x01\x03\x02\x00\x2A\x39\x9B", 7);
    const std::string bad("\x01\x03\x02\x00\x2B\x39\x9B", 7);
    rig.packet(good, 1);
    rig.packet(bad, 2);
    rig.packet(good, 3, false);  // a piece of a long stream
    rig.packet("\x01", 4);
    EXPECT_EQ(rig.column(0), (std::vector<double>{42}));
    EXPECT_EQ(rig.feed.counts().rejectedFrames, 2u);
}

TEST(PlotSettingsFile, RoundTripsAndKeepsWhatItDoesNotKnow)
{
    PlotSettings s;
    s.source = {PlotSource::HexFields, "a=(\\d+)", "t 1 i16be 0.5", {ChecksumCondition::Kind::Tag, 7}};
    s.capacity = 50000;
    s.xAxis = PlotStore::XAxis::Time;
    s.x = -20;
    s.width = 800;
    s.height = 600;
    s.colours = {"#ff0000", "", "#00ff00"};
    const PlotSettings back = parsePlotSettings("# note\nfuture=1\n" + formatPlotSettings(s));
    EXPECT_EQ(back.source, s.source);
    EXPECT_EQ(back.capacity, 50000u);
    EXPECT_EQ(back.xAxis, PlotStore::XAxis::Time);
    EXPECT_EQ(back.x, -20);
    EXPECT_EQ(back.height, 600);
    EXPECT_EQ(back.colours, s.colours);
    EXPECT_NE(formatPlotSettings(back).find("future=1"), std::string::npos);
    const PlotSettings odd = parsePlotSettings(
        "capacity=5\nsource=laser\nchecksum=tag 99\nwidth=-4\ncolour.1=red\ncolour.9999=#000000\n");
    EXPECT_EQ(odd.capacity, PlotStore::MinCapacity);
    EXPECT_EQ(odd.source.source, PlotSource::Plotter);
    EXPECT_EQ(odd.source.checksum.kind, ChecksumCondition::Kind::None);
    EXPECT_EQ(odd.width, 0);
    EXPECT_TRUE(odd.colours.size() < 2 || odd.colours[1].empty());
    EXPECT_EQ(odd.kept.size(), 1u);
}

TEST(PlotSettingsFile, AFileThatCannotBeReadWholeIsReportedUnread)
{
    comtrax::testing::TempDir dir;
    const std::string path = dir.path() + "/CfgPlot";
    EXPECT_FALSE(loadPlotSettingsFile(path).found);
    PlotSettings s;
    s.capacity = 2000;
    ASSERT_TRUE(savePlotSettingsFile(path, s));
    const PlotSettingsLoad back = loadPlotSettingsFile(path);
    EXPECT_TRUE(back.found && back.io);
    EXPECT_EQ(back.settings.capacity, 2000u);
    ASSERT_TRUE(replaceFileAtomically(path, std::string(MaxPlotSettingsBytes + 1, '#')));
    const PlotSettingsLoad tooLong = loadPlotSettingsFile(path);
    EXPECT_TRUE(tooLong.found);
    EXPECT_FALSE(tooLong.io);
}
