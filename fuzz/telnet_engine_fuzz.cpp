// What a hostile or broken Telnet server may send, cut into pieces of any
// size: the engine keeps its memory bounded, never hands out more data than
// arrived, answers with bounded output, and hands out the same data and
// replies whatever the cuts. The first byte chooses the cuts' length.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "telnet/telnet_engine.h"

using namespace comtrax;

namespace {
std::vector<uint8_t> feed(TelnetEngine& engine, const uint8_t* data, std::size_t size, std::size_t piece,
                          std::vector<uint8_t>& replies)
{
    std::vector<uint8_t> out;
    for (std::size_t at = 0; at < size; at += piece) {
        const std::size_t n = size - at < piece ? size - at : piece;
        engine.receive(data + at, n, out, static_cast<int64_t>(at));
        replies.insert(replies.end(), engine.output().begin(), engine.output().end());
        engine.output().clear();
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 17;
    ++data;
    --size;
    TelnetEngine whole(true, 1000);
    whole.start(0);
    whole.setLineSettings(115200, 8, 1, 1, 1);
    TelnetEngine cut(true, 1000);
    cut.start(0);
    cut.setLineSettings(115200, 8, 1, 1, 1);
    std::vector<uint8_t> wholeReplies;
    std::vector<uint8_t> cutReplies;
    const std::vector<uint8_t> a = feed(whole, data, size, size, wholeReplies);
    const std::vector<uint8_t> b = feed(cut, data, size, piece, cutReplies);
    FUZZ_CHECK(a.size() <= size, "more data out than in");
    FUZZ_CHECK(a == b, "the cuts changed the data");
    FUZZ_CHECK(wholeReplies == cutReplies, "the cuts changed the replies");
    // Every reply is at most a refusal per option twice, an agreement per
    // request, or the signature: bounded by the input, never by a loop.
    FUZZ_CHECK(wholeReplies.size() <= 3 * size + 64, "replies out of bounds");
    FUZZ_CHECK(whole.signature().size() <= TelnetEngine::MaxSubnegotiation, "signature unbounded");
    return 0;
}
