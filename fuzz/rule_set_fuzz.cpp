// CfgRules as it may arrive: any bytes. Whatever is read must write back to a
// text that reads the same, and every rule read must be safe to run: its
// pattern compiles or is refused, and a packet of the same bytes goes through
// the engine without harm.
#include <string>

#include "automation/rules_file.h"
#include "fuzz_support.h"
#include "support/fake_clock.h"

using namespace comtrax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const RuleSet first = parseRuleSet(input);
    FUZZ_CHECK(first.rules.size() <= static_cast<std::size_t>(RuleSet::MaxRules), "too many rules read");
    const std::string text = formatRuleSet(first);
    const RuleSet again = parseRuleSet(text);
    FUZZ_CHECK(formatRuleSet(again) == text, "a written rule file reads back differently");
    FUZZ_CHECK(again.rules == first.rules, "the rules changed on the way");

    testing::FakeClock clock;
    RuleEngine engine(clock);
    int actions = 0;
    engine.setActor([&actions](const Firing&) { ++actions; });
    engine.setRules(first.rules, first.limit, first.windowBytes);
    engine.packetReceived(input.substr(0, 4096));
    clock.advance(3600001);
    engine.tick();
    FUZZ_CHECK(!first.limit.on || actions <= first.limit.actionsPerSecond * 2,
               "the limit let too much through");
    return 0;
}
