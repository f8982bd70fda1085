// A command file's line as it may arrive: any bytes. A line is a directive
// exactly when it starts with one of the three words; a directive either
// parses or says why, and a wait's pattern always compiles.
#include <string>

#include "automation/command_directive.h"
#include "fuzz_support.h"

using namespace comtrax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto d = parseDirective(line, error);
    const bool directive =
        isDirectiveLine(line) || isDirectiveLine(line.substr(0, line.find_last_not_of("\r\n") + 1));
    if (!directive) {
        FUZZ_CHECK(!d && error.empty(), "a plain line was taken for a directive");
        return 0;
    }
    FUZZ_CHECK(d.has_value() != !error.empty(), "a directive neither parsed nor said why");
    if (d && d->kind == Directive::Kind::Wait) {
        std::string why;
        FUZZ_CHECK(CompiledPattern::compile(d->pattern, why).has_value(),
                   "a wait's pattern does not compile");
        FUZZ_CHECK(d->ms >= 0 && d->ms <= Directive::MaxMs, "a wait's time out of range");
    }
    return 0;
}
