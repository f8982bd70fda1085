// The plot's readers of received bytes: any bytes as a stream of packets
// through each source (the serial plotter's lines, CSV, a regular
// expression, HEX fields with a checksum condition), and any text as a field
// list and as the CfgPlot file. Input: byte 0 picks the source, byte 1 how
// packets are cut; for HEX fields the text up to the first NUL is the field
// list. Checks that nothing stored is a non-finite number, that the store
// never holds more channels than its cap or more rows than its capacity,
// and that the decimation keeps its bound.
#include <algorithm>
#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "plot/plot_feed.h"
#include "plot/plot_settings.h"

using namespace comtrax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    fuzz::ByteReader in(data, size);
    const uint8_t pick = in.byte();
    const std::size_t cut = 1 + in.byte() % 64;
    const std::string rest(reinterpret_cast<const char*>(data) + std::min<std::size_t>(size, 2),
                           size > 2 ? size - 2 : 0);

    PlotStore store(PlotStore::MinCapacity);
    PlotFeed feed(store);
    PlotSourceSettings settings;
    settings.source = static_cast<PlotSource>(pick % 4);
    std::string stream = rest;
    if (settings.source == PlotSource::Regex) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        settings.pattern = rest.substr(0, end);
        stream = rest.substr(end);
    } else if (settings.source == PlotSource::HexFields) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        settings.hexFields = rest.substr(0, end);
        stream = rest.substr(end);
        settings.checksum.kind = static_cast<ChecksumCondition::Kind>((pick >> 2) % 3);
        settings.checksum.tagIndex = (pick >> 4) % ChecksumTagCount;
    }
    std::string error;
    feed.configure(settings, error);
    for (std::size_t at = 0; at < stream.size(); at += cut) {
        const int64_t t = static_cast<int64_t>(at);
        feed.take(ReceivedPacket{std::string_view(stream).substr(at, cut), t, t, (at / cut) % 3 != 0});
    }
    FUZZ_CHECK(store.channelCount() <= PlotStore::MaxChannels, "more channels than the cap");
    FUZZ_CHECK(store.rowCount() <= store.capacity(), "more rows than the capacity");
    for (std::size_t c = 0; c < store.channelCount(); ++c) {
        for (std::size_t r = 0; r < store.rowCount(); ++r)
            FUZZ_CHECK(!std::isinf(store.value(c, r)), "an infinite value stored");
        const auto points = decimateChannel(store, c, PlotStore::XAxis::Sample, 0, 1e6, 50);
        FUZZ_CHECK(points.size() <= 102, "decimation beyond two points a column");
    }
    const std::string csv = plotStoreCsv(store);
    FUZZ_CHECK(std::count(csv.begin(), csv.end(), '\n') >= static_cast<long>(store.rowCount() + 1),
               "a CSV row missing");

    // The same bytes as CfgPlot: what it writes reads back the same.
    const PlotSettings s = parsePlotSettings(rest);
    const PlotSettings again = parsePlotSettings(formatPlotSettings(s));
    FUZZ_CHECK(again.source.source == s.source.source && again.capacity == s.capacity,
               "CfgPlot does not round-trip");
    return 0;
}
