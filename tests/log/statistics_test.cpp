#include <gtest/gtest.h>

#include "log/statistics.h"
#include "support/recording_view.h"

using namespace comtrax;
using namespace comtrax::testing;

TEST(TrafficCounters, ByteTotalsAndSentCountUseTheirLabelForms)
{
    RecordingView view;
    TrafficCounters c(view);
    c.addTxBytes(12);
    c.addRxBytes(40);
    EXPECT_EQ(view.byteTotals, "TX: 12 RX: 40");
    c.countSentLine();
    c.countSentLine();
    EXPECT_EQ(view.sentCount, "Send: 2");
}

TEST(TrafficCounters, GapsAreTheShortestAndLongestBetweenReads)
{
    RecordingView view;
    TrafficCounters c(view);
    c.countRead(1000);
    // The first read has nothing before it.
    EXPECT_EQ(view.readCount, "Read: 1");
    EXPECT_EQ(view.minGap, "MIN_T_W:  NA");
    EXPECT_EQ(view.maxGap, "MAX_T_W: NA");
    c.countRead(1120);
    c.countRead(1160);
    EXPECT_EQ(view.readCount, "Read: 3");
    EXPECT_EQ(view.minGap, "MIN_T_W:  40");
    EXPECT_EQ(view.maxGap, "MAX_T_W: 120");
}

TEST(TrafficCounters, GapsAcrossTheWeekWrapOrFromClockZeroAreNotCounted)
{
    RecordingView view;
    TrafficCounters c(view);
    c.countRead(604799990);
    c.countRead(5);   // negative gap
    c.countRead(0);   // negative gap again
    c.countRead(30);  // predecessor on the clock's zero
    EXPECT_EQ(view.readCount, "Read: 4");
    EXPECT_EQ(view.minGap, "MIN_T_W:  NA");
    c.countRead(30);  // same millisecond: no gap
    EXPECT_EQ(view.minGap, "MIN_T_W:  NA");
    c.countRead(37);
    EXPECT_EQ(view.minGap, "MIN_T_W:  7");
}

TEST(TrafficCounters, ResetKeepsByteTotalsAndMeasuresFromTheLastReadBeforeIt)
{
    RecordingView view;
    TrafficCounters c(view);
    c.addTxBytes(3);
    c.addRxBytes(4);
    c.countSentLine();
    c.countRead(500);
    c.countRead(600);
    c.resetStatistics();
    EXPECT_EQ(view.readCount, "Read: 0");
    EXPECT_EQ(view.sentCount, "Send: 0");
    EXPECT_EQ(view.minGap, "MIN_T_W:  NA");
    EXPECT_EQ(view.maxGap, "MAX_T_W: NA");
    EXPECT_EQ(view.byteTotals, "TX: 3 RX: 4");
    EXPECT_EQ(c.txBytes(), 3);

    c.countRead(850);
    EXPECT_EQ(view.readCount, "Read: 1");
    EXPECT_EQ(view.minGap, "MIN_T_W:  250");
    EXPECT_EQ(view.maxGap, "MAX_T_W: 250");
}

TEST(TrafficCounters, ByteTotalsWrapInsteadOfOverflowing)
{
    RecordingView view;
    TrafficCounters c(view);
    c.addRxBytes(0x7FFFFFFF);
    c.addRxBytes(1);
    EXPECT_EQ(c.rxBytes(), INT32_MIN);
}
