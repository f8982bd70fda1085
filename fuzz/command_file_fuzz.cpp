// A text file of command lines picked in the open-file dialog: any bytes,
// any line ends (CR LF, LF, CR, mixed), over-long lines, more than 500 lines.
// Checks the parser against a plain reading of the file, fed whole, in pieces
// of every size the input asks for, and read from disk.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "transmit/command_file.h"

using namespace comtrax;
using comtrax::fuzz::hexDump;

namespace {

// The file read the simple way: every CR LF, then every lone CR, becomes LF;
// the pieces between LFs are the lines, and a last piece that is empty
// (the file ended with a line end, or was empty) is no line.
CommandFile plainReading(const std::string& bytes)
{
    // Reading ends after MaxBytes bytes; the line still open there is not taken.
    if (bytes.size() > CommandFile::MaxBytes) {
        const std::string head = bytes.substr(0, CommandFile::MaxBytes);
        const std::size_t lastEnd = head.find_last_of("\r\n");
        CommandFile out =
            plainReading(lastEnd == std::string::npos ? std::string() : head.substr(0, lastEnd + 1));
        out.bigFile = true;
        return out;
    }
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            text += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            text += bytes[i];
        }
    }
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\n') {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    if (pieces.back().empty())
        pieces.pop_back();

    CommandFile out;
    for (std::size_t i = 0; i < pieces.size() && i < CommandFile::MaxLines; ++i)
        if (pieces[i].size() < 255)
            out.lines.push_back(pieces[i]);
    out.bigFile = pieces.size() >= CommandFile::MaxLines;
    return out;
}

void expectSame(const CommandFile& got, const CommandFile& want, const std::string& how)
{
    FUZZ_CHECK(got.bigFile == want.bigFile, how + ": big-file flag");
    FUZZ_CHECK(got.lines.size() == want.lines.size(),
               how + ": " + std::to_string(got.lines.size()) + " lines, expected "
                   + std::to_string(want.lines.size()));
    for (std::size_t i = 0; i < got.lines.size(); ++i)
        FUZZ_CHECK(got.lines[i] == want.lines[i],
                   how + ": line " + std::to_string(i) + " " + hexDump(got.lines[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const CommandFile want = plainReading(bytes);

    const CommandFile whole = parseCommandFile(bytes);
    expectSame(whole, want, "whole");
    FUZZ_CHECK(whole.lines.size() <= CommandFile::MaxLines, "more than 500 lines kept");
    for (const std::string& line : whole.lines)
        FUZZ_CHECK(line.size() <= CommandFile::MaxLineLength, "an over-long line was kept");

    // Pieces: a read may end anywhere, between a CR and its LF included.
    // The piece sizes come from the input itself.
    for (const std::size_t step :
         {std::size_t(1), std::size_t(2), std::size_t(size > 0 ? 1 + data[0] % 7 : 3)}) {
        CommandFileParser parser;
        for (std::size_t at = 0; at < size; at += step)
            parser.feed(std::string_view(bytes).substr(at, step));
        expectSame(parser.finish(), want, "pieces of " + std::to_string(step));
    }

    // The parser is reusable after finish(), as the file view reloads.
    CommandFileParser reused;
    reused.feed(bytes);
    (void)reused.finish();
    reused.feed(bytes);
    expectSame(reused.finish(), want, "reused");

    // A read error cuts the file: lines ended before it are kept, the line
    // being read when it struck is not.
    CommandFileParser broken;
    const std::string prefix = bytes.substr(0, size / 2);
    broken.feed(prefix);
    const std::size_t lastEnd = prefix.find_last_of("\r\n");
    const std::string complete = lastEnd == std::string::npos ? std::string() : prefix.substr(0, lastEnd + 1);
    expectSame(broken.finish(false), plainReading(complete), "read error");

    const std::string path = fuzz::scratchFile("commands.txt");
    fuzz::writeFile(path, bytes);
    CommandFile fromDisk;
    const FileResult r = readCommandFile(path, fromDisk);
    FUZZ_CHECK(r.ok, r.error);
    expectSame(fromDisk, want, "file");
    return 0;
}
