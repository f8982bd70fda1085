#pragma once
// CfgPlot: the plot window's settings as "key=value" lines beside
// CfgTerminal, read tolerantly (unknown lines kept in place, a value that
// does not parse leaves its default). A file that exists but cannot be read
// whole is never written over.
#include <cstddef>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "plot/plot_feed.h"
#include "plot/plot_store.h"
#include "settings/key_value_file.h"

namespace comtrax {

struct PlotSettings {
    PlotSourceSettings source;
    std::size_t capacity = PlotStore::DefaultCapacity;
    PlotStore::XAxis xAxis = PlotStore::XAxis::Sample;
    // The window's place and size; width 0: not placed yet.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // Colours chosen for channels, "#rrggbb" by channel index ("" keeps the default).
    std::vector<std::string> colours;
    std::vector<KeptLine> kept;
};

inline constexpr std::size_t MaxPlotSettingsBytes = 256 * 1024;

std::string formatPlotSettings(const PlotSettings& settings);
PlotSettings parsePlotSettings(const std::string& text);

struct PlotSettingsLoad {
    PlotSettings settings;
    FileResult io;  // failed: the file exists but could not be read whole (leave it as it is)
    bool found = false;
};
PlotSettingsLoad loadPlotSettingsFile(const std::string& path);
FileResult savePlotSettingsFile(const std::string& path, const PlotSettings& settings);

}  // namespace comtrax
