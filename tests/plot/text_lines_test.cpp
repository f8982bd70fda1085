// Text sources: numbers, the serial plotter's lines, CSV and the cutting of
// a received stream into lines.
#include <gtest/gtest.h>

#include "plot/text_lines.h"

using namespace comtrax;

TEST(PlotNumber, OnlyWhatIsPlainlyANumber)
{
    const std::vector<std::pair<std::string, std::optional<double>>> cases = {
        {"1", 1},     {"-2.5", -2.5},        {"+3", 3},     {".5", 0.5},   {"1e3", 1000},
        {" 7 ", 7},   {"-0.25e-2", -0.0025}, {"nan", {}},   {"NaN", {}},   {"inf", {}},
        {"-inf", {}}, {"Infinity", {}},      {"1.2.3", {}}, {"12abc", {}}, {"", {}},
        {"-", {}},    {"0x10", {}},          {"1e999", {}}, {"--1", {}},   {"1,5", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parsePlotNumber(text), expected) << "'" << text << "'";
}

TEST(PlotterLine, LabelsValuesSeparatorsAndHeaders)
{
    struct Case {
        std::vector<std::string> lines;  // the last one is checked
        std::vector<NamedValue> values;
        std::size_t skipped = 0;
    };
    const std::vector<Case> cases = {
        {{"a:1,b:2"}, {{"a", 1}, {"b", 2}}},
        {{"a:1 b:-2\tc:3.5"}, {{"a", 1}, {"b", -2}, {"c", 3.5}}},
        {{"a:1, \t b:2"}, {{"a", 1}, {"b", 2}}},
        {{"1 2 3"}, {{"value 1", 1}, {"value 2", 2}, {"value 3", 3}}},
        {{"1,2\t3"}, {{"value 1", 1}, {"value 2", 2}, {"value 3", 3}}},
        {{"x y", "1 2 3"}, {{"x", 1}, {"y", 2}, {"value 3", 3}}},
        {{"x,y", "a:5"}, {{"a", 5}}},
        {{"a:nan b:2 c:inf"}, {{"b", 2}}, 2},
        {{"a:,b:1,:3,c"}, {{"b", 1}}, 3},
        {{"1 x 3"}, {{"value 1", 1}, {"value 3", 3}}, 1},
        {{"a:1.2.3"}, {}, 1},
        {{""}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> header;
        LineValues out;
        for (const std::string& line : c.lines)
            out = parsePlotterLine(line, header);
        EXPECT_EQ(out.values, c.values) << c.lines.back();
        EXPECT_EQ(out.skippedFields, c.skipped) << c.lines.back();
    }
}

TEST(PlotterLine, ALineOfLabelsNamesTheValuesAndGivesNone)
{
    std::vector<std::string> header;
    const LineValues h = parsePlotterLine("temp\thum", header);
    EXPECT_TRUE(h.header);
    EXPECT_TRUE(h.values.empty());
    EXPECT_EQ(header, (std::vector<std::string>{"temp", "hum"}));
}

TEST(PlotterLine, TenThousandFieldsAreCappedAndALongLabelIsCut)
{
    std::string line;
    for (int i = 0; i < 10000; ++i)
        line += std::to_string(i) + " ";
    std::vector<std::string> header;
    const LineValues out = parsePlotterLine(line, header);
    EXPECT_EQ(out.values.size(), MaxFieldsPerLine);
    EXPECT_EQ(out.skippedFields, 10000 - MaxFieldsPerLine);
    const LineValues label = parsePlotterLine(std::string(5000, 'L') + ":1", header);
    ASSERT_EQ(label.values.size(), 1u);
    EXPECT_EQ(label.values[0].name.size(), PlotStore::MaxNameBytes);
}

TEST(CsvLine, HeaderSeparatorsAndEmptyFields)
{
    struct Case {
        std::vector<std::string> lines;
        std::vector<NamedValue> values;
        std::size_t skipped = 0;
    };
    const std::vector<Case> cases = {
        {{"1,2,3"}, {{"value 1", 1}, {"value 2", 2}, {"value 3", 3}}},
        {{"t;u", "1;2"}, {{"t", 1}, {"u", 2}}},
        {{"\"temp, C\",hum", "1 , 2"}, {{"temp, C", 1}, {"hum", 2}}},
        {{"a\tb\tc", "1\t\t3"}, {{"a", 1}, {"c", 3}}},
        {{"a,b", "x,2"}, {{"b", 2}}, 1},
        {{"a,b", "c,d"}, {}, 2},  // a second line of names is no header
        {{"1,nan,inf"}, {{"value 1", 1}}, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> header;
        LineValues out;
        for (const std::string& line : c.lines)
            out = parseCsvLine(line, header);
        EXPECT_EQ(out.values, c.values) << c.lines.back();
        EXPECT_EQ(out.skippedFields, c.skipped) << c.lines.back();
    }
}

namespace {

struct Seen {
    std::vector<std::pair<std::string, int64_t>> lines;
    std::function<void(std::string_view, int64_t)> sink()
    {
        return [this](std::string_view line, int64_t t) { lines.emplace_back(std::string(line), t); };
    }
};

}  // namespace

TEST(LineSplitter, DropsThePartialFirstLineAndJoinsLinesAcrossPackets)
{
    LineSplitter split;
    Seen seen;
    split.feed("3:1\r\na:1", 10, false, seen.sink());
    split.feed("2\r", 20, false, seen.sink());
    split.feed("\nb:7\n", 30, false, seen.sink());
    EXPECT_EQ(seen.lines, (decltype(seen.lines){{"a:12", 10}, {"b:7", 30}}));
    // After a restart the line under way is a piece again.
    split.restart();
    split.feed("x:1\ny:2\n", 40, false, seen.sink());
    EXPECT_EQ(seen.lines.back(), (std::pair<std::string, int64_t>{"y:2", 40}));
    EXPECT_EQ(seen.lines.size(), 3u);
}

TEST(LineSplitter, ASilenceEndsALineOnlyWhenAsked)
{
    LineSplitter split;
    Seen seen;
    split.feed("first\n", 0, false, seen.sink());
    split.feed("v=1", 1, false, seen.sink());
    EXPECT_TRUE(seen.lines.empty());
    split.feed("2", 2, true, seen.sink());
    split.feed("v=3", 3, true, seen.sink());
    EXPECT_EQ(seen.lines, (decltype(seen.lines){{"v=12", 1}, {"v=3", 3}}));
}

TEST(LineSplitter, AnOverlongLineIsDroppedWholeAndCounted)
{
    LineSplitter split;
    Seen seen;
    split.feed("\n", 0, false, seen.sink());
    const std::string label(1 << 20, 'L');
    for (std::size_t i = 0; i < label.size(); i += 4096)
        split.feed(std::string_view(label).substr(i, 4096), 1, false, seen.sink());
    split.feed(":1\nok:2\n", 2, false, seen.sink());
    EXPECT_EQ(split.overlongLines(), 1u);
    EXPECT_EQ(seen.lines, (decltype(seen.lines){{"ok:2", 2}}));
}
