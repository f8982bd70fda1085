#pragma once
// Values from text: received bytes cut into lines, and a line read as the
// serial plotter's format (label:value pairs or bare values separated by
// space, tab or comma, a line of labels alone naming the bare values) or as
// CSV (fields separated by comma, semicolon or tab, a first line of names).
// Only what is plainly a number is a value: "nan", "inf", "1.2.3" or "12abc"
// give none, so nothing is drawn that was not sent as a number.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/plot_store.h"

namespace comtrax {

// A finite decimal number (sign, digits, point, exponent) filling all of text.
std::optional<double> parsePlotNumber(std::string_view text);

class LineSplitter {
public:
    // A line longer than this is dropped whole (and counted) rather than kept growing.
    static constexpr std::size_t MaxLineBytes = 64 * 1024;

    // The next line may have begun before the first byte seen (after
    // connecting, opening the plot or clearing): it is dropped.
    void restart();
    // Cuts bytes into lines at '\n' (a '\r' before it is dropped); each whole
    // line goes to onLine with the time of the bytes that began it. With
    // endsLine (a packet that ended in silence), its end ends a line too.
    void feed(std::string_view bytes, int64_t timeNs, bool endsLine,
              const std::function<void(std::string_view line, int64_t timeNs)>& onLine);
    uint64_t overlongLines() const { return overlongLines_; }

private:
    void finishLine(const std::function<void(std::string_view, int64_t)>& onLine);

    std::string partial_;
    int64_t partialTimeNs_ = 0;
    bool started_ = false;   // partial_ holds a line under way
    bool dropFirst_ = true;  // the line under way began before we listened
    bool overlong_ = false;  // the line under way grew too long: drop it at its end
    uint64_t overlongLines_ = 0;
};

// How many fields a line may give; the rest are counted, not read.
inline constexpr std::size_t MaxFieldsPerLine = PlotStore::MaxChannels;

struct LineValues {
    std::vector<NamedValue> values;
    std::size_t skippedFields = 0;  // fields that were no number, or beyond the cap
    bool header = false;            // the line named the columns
};

// The serial plotter's format. header holds the names of the bare values
// from a line of labels; it is set by such a line and read by the next ones.
LineValues parsePlotterLine(std::string_view line, std::vector<std::string>& header);
// CSV: a first line without a number names the columns.
LineValues parseCsvLine(std::string_view line, std::vector<std::string>& header);

}  // namespace comtrax
