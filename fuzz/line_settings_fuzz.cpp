// CfgLine as it may arrive: any bytes. Whatever is read must write back to a
// text that reads the same, and the file round trip must keep it.
#include <string>

#include "fuzz_support.h"
#include "terminal/line_settings.h"

using namespace comtrax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const LineSettings first = parseLineSettings(input);
    const std::string text = formatLineSettings(first);
    const LineSettings again = parseLineSettings(text);
    FUZZ_CHECK(formatLineSettings(again) == text, "a written file reads back differently");
    FUZZ_CHECK(again.unknown == first.unknown, "unknown keys changed on the way");
    for (const auto& [key, value] : first.unknown)
        FUZZ_CHECK(!key.empty() && key.find('\n') == std::string::npos
                       && value.find('\n') == std::string::npos,
                   "a kept line cannot be written back as one line");

    const std::string path = fuzz::scratchFile("CfgLine");
    fuzz::writeFile(path, input);
    const LineSettingsLoad loaded = loadLineSettingsFile(path);
    FUZZ_CHECK(loaded.io.ok && loaded.found, loaded.io.error);
    FUZZ_CHECK(formatLineSettings(loaded.settings) == text, "the file reads differently from its bytes");
    return 0;
}
