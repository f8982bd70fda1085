// Runs every file of the given directories through one fuzz target, the way
// libFuzzer would, so the seed corpus and the inputs of past crashes are
// checked by every ordinary build and by the sanitizer build.
//
//   replay_<target> DIR_OR_FILE...     (a missing path is skipped with a note)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_support.h"

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path p = argv[i];
        std::error_code ec;
        if (fs::is_regular_file(p, ec)) {
            inputs.push_back(p);
        } else if (fs::is_directory(p, ec)) {
            for (const auto& e : fs::directory_iterator(p))
                if (e.is_regular_file() && e.path().filename().string().rfind('.', 0) != 0)
                    inputs.push_back(e.path());
        } else {
            std::printf("replay: %s: not there, skipped\n", p.c_str());
        }
    }
    // A fixed order, so a failure names the same input on every machine.
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no input found\n");
        return 1;
    }
    for (const auto& p : inputs) {
        std::printf("replay: %s\n", p.c_str());
        std::fflush(stdout);
        const std::string bytes = comtrax::fuzz::readFile(p.string());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replay: %zu inputs, all passed\n", inputs.size());
    return 0;
}
