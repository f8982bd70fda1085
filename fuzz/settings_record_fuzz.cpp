// CfgTerminal as it may arrive from another machine, an older program or a
// damaged disk: any bytes, any length. Loads it, reads every field, stores
// every field back and saves, and checks that nothing was read past a field
// and that what is saved loads back unchanged.
#include <algorithm>
#include <string>

#include "settings/settings_record.h"
#include "common/bytes.h"
#include "fuzz_support.h"

using namespace comtrax;
using comtrax::fuzz::hexDump;

namespace {

constexpr std::size_t Size = SettingsRecord::Size;
constexpr std::size_t Cap = SettingsRecord::TextCapacity;
constexpr std::size_t TextFields[] = {12, 285, 536};  // FilterText, CommandText, SuffixText

const unsigned char* raw(const std::string& s, std::size_t at)
{
    return reinterpret_cast<const unsigned char*>(s.data() + at);
}

// The string[250] field at `at` as the file holds it: never more than 250 characters.
std::string textAt(const std::string& image, std::size_t at)
{
    const std::size_t len = std::min<std::size_t>(static_cast<unsigned char>(image[at]), Cap);
    return image.substr(at + 1, len);
}

void checkFields(const SettingsRecord& r, const std::string& image)
{
    FUZZ_CHECK(r.lastPort() == static_cast<uint32_t>(getLE32(raw(image, 0))), "LastPort");
    FUZZ_CHECK(r.baudIndex() == static_cast<unsigned char>(image[4]), "BaudIndex");
    FUZZ_CHECK(r.bitsIndex() == static_cast<unsigned char>(image[5]), "BitsIndex");
    FUZZ_CHECK(r.stopBitsIndex() == static_cast<unsigned char>(image[6]), "StopBitsIndex");
    FUZZ_CHECK(r.autoConnectOn() == static_cast<unsigned char>(image[7]), "AutoConnectOn");
    FUZZ_CHECK(r.timeRxMs() == getLE32(raw(image, 8)), "TimeRxMs");
    FUZZ_CHECK(r.filterText() == textAt(image, 12), "FilterText " + hexDump(r.filterText()));
    FUZZ_CHECK(r.fontSize() == getLE32(raw(image, 264)), "FontSize");
    FUZZ_CHECK(r.backColor() == static_cast<uint32_t>(getLE32(raw(image, 268))), "BackColor");
    FUZZ_CHECK(r.textColor() == static_cast<uint32_t>(getLE32(raw(image, 272))), "TextColor");
    FUZZ_CHECK(r.showTime() == static_cast<unsigned char>(image[276]), "ShowTime");
    FUZZ_CHECK(r.inputEncoding() == static_cast<unsigned char>(image[277]), "InputEncoding");
    FUZZ_CHECK(r.sendMode() == static_cast<unsigned char>(image[278]), "SendMode");
    FUZZ_CHECK(r.periodMs() == getLE32(raw(image, 280)), "PeriodMs");
    FUZZ_CHECK(r.sendOnConnect() == static_cast<unsigned char>(image[284]), "SendOnConnect");
    FUZZ_CHECK(r.commandText() == textAt(image, 285), "CommandText " + hexDump(r.commandText()));
    FUZZ_CHECK(r.suffixText() == textAt(image, 536), "SuffixText " + hexDump(r.suffixText()));
    FUZZ_CHECK(r.showNames() == static_cast<unsigned char>(image[787]), "ShowNames");
}

std::string imageOf(const SettingsRecord& r)
{
    return std::string(reinterpret_cast<const char*>(r.bytes().data()), r.bytes().size());
}

// What saveSettings does with the values loadSettings put into the controls:
// every field stored again from what was read.
void storeBack(SettingsRecord& r)
{
    r.setLastPort(r.lastPort());
    r.setBaudIndex(r.baudIndex());
    r.setBitsIndex(r.bitsIndex());
    r.setStopBitsIndex(r.stopBitsIndex());
    r.setAutoConnectOn(r.autoConnectOn());
    r.setTimeRxMs(r.timeRxMs());
    r.setFilterText(r.filterText());
    r.setFontSize(r.fontSize());
    r.setBackColor(r.backColor());
    r.setTextColor(r.textColor());
    r.setShowTime(r.showTime());
    r.setInputEncoding(r.inputEncoding());
    r.setSendMode(r.sendMode());
    // PeriodTX shows the number as text and saveSettings converts it back.
    r.setPeriodMs(periodFromText(std::to_string(r.periodMs())));
    r.setSendOnConnect(r.sendOnConnect());
    r.setCommandText(r.commandText());
    r.setSuffixText(r.suffixText());
    r.setShowNames(r.showNames());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::scratchFile("CfgTerminal");
    const std::string input(reinterpret_cast<const char*>(data), size);

    if (size == 0) {
        // An empty file is a short one; a missing file is created as zeros.
        fuzz::writeFile(path, input);
        SettingsRecord r;
        FUZZ_CHECK(loadSettingsFile(path, r).kind == SettingsLoad::Failed, "empty file must fail");
        fuzz::removeFile(path);
        const SettingsLoadResult created = loadSettingsFile(path, r);
        FUZZ_CHECK(created.kind == SettingsLoad::Created && created.io.ok, created.io.error);
        FUZZ_CHECK(fuzz::readFile(path) == std::string(Size, '\0'), "created file is not 788 zeros");
        return 0;
    }

    fuzz::writeFile(path, input);
    SettingsRecord r;
    const SettingsLoadResult result = loadSettingsFile(path, r);
    if (size < Size) {
        FUZZ_CHECK(result.kind == SettingsLoad::Failed && !result.io.ok, "short file accepted");
        FUZZ_CHECK(r.allZero(), "a short file changed the record");
        return 0;
    }
    FUZZ_CHECK(result.io.ok, result.io.error);
    const std::string image = input.substr(0, Size);  // a longer file: only its first record counts
    FUZZ_CHECK(imageOf(r) == image, "record differs from the file's first 788 bytes");
    const bool zero = std::all_of(image.begin(), image.end(), [](char c) { return c == 0; });
    FUZZ_CHECK(result.kind == (zero ? SettingsLoad::Blank : SettingsLoad::Loaded), "load kind");
    checkFields(r, image);

    // The stored port is found again by its fingerprint; any text may stand for a name.
    (void)SettingsRecord::portHash(r.commandText());
    FUZZ_CHECK(SettingsRecord::portHash("") == 0, "empty name must hash to 0");
    FUZZ_CHECK(SettingsRecord::portHash(r.filterText() + "x") != 0, "a name must never hash to 0");
    // Pasted PeriodTX text: never an error, a number in range comes back as it is.
    (void)periodFromText(r.commandText());
    FUZZ_CHECK(periodFromText(std::to_string(r.periodMs())) == r.periodMs(), "PeriodMs round trip");

    // Storing every field back changes nothing but over-long length bytes,
    // which come back cut to 250.
    storeBack(r);
    std::string expected = image;
    for (const std::size_t at : TextFields)
        if (static_cast<unsigned char>(expected[at]) > Cap)
            expected[at] = static_cast<char>(Cap);
    FUZZ_CHECK(imageOf(r) == expected, "storing the read values back changed the record");

    const FileResult saved = saveSettingsFile(path, r);
    FUZZ_CHECK(saved.ok, saved.error);
    FUZZ_CHECK(fuzz::readFile(path) == expected, "saved file is not the record");
    SettingsRecord again;
    const SettingsLoadResult reload = loadSettingsFile(path, again);
    FUZZ_CHECK(reload.io.ok && imageOf(again) == expected, "saved record does not load back");
    checkFields(again, expected);
    return 0;
}
