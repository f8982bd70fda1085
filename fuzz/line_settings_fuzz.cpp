// CfgLine as it may arrive: any bytes. Whatever is read must write back to a
// text that reads the same, and the file round trip must keep it.
#include <string>

#include "fuzz_support.h"
#include "settings/line_settings.h"

using namespace comtrax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const LineSettings first = parseLineSettings(input);
    const std::string text = formatLineSettings(first);
    const LineSettings again = parseLineSettings(text);
    FUZZ_CHECK(formatLineSettings(again) == text, "a written file reads back differently");
    FUZZ_CHECK(again.kept == first.kept, "kept lines changed on the way");
    for (const KeptLine& line : first.kept)
        FUZZ_CHECK(line.text.find('\n') == std::string::npos,
                   "a kept line cannot be written back as one line");

    const std::string path = fuzz::scratchFile("CfgLine");
    fuzz::writeFile(path, input);
    const LineSettingsLoad loaded = loadLineSettingsFile(path);
    FUZZ_CHECK(loaded.found, "a file there was taken for none");
    if (size > MaxLineSettingsBytes) {
        FUZZ_CHECK(!loaded.io.ok, "a file over the bound was read in part");
        return 0;
    }
    FUZZ_CHECK(loaded.io.ok, loaded.io.error);
    FUZZ_CHECK(formatLineSettings(loaded.settings) == text, "the file reads differently from its bytes");
    return 0;
}
