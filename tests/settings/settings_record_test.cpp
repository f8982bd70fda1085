#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "settings/settings_record.h"
#include "support/file_limits.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

std::string raw(const SettingsRecord& r, std::size_t at, std::size_t n)
{
    return {reinterpret_cast<const char*>(r.bytes().data()) + at, n};
}

std::string asString(const SettingsRecord& r)
{
    return raw(r, 0, SettingsRecord::Size);
}

void setEveryField(SettingsRecord& r)
{
    r.setLastPort(0x11223344);
    r.setBaudIndex(7);
    r.setBitsIndex(3);
    r.setStopBitsIndex(255);
    r.setAutoConnectOn(1);
    r.setTimeRxMs(-2);
    r.setFilterText("ERR");
    r.setFontSize(12);
    r.setBackColor(0xFF000005);
    r.setTextColor(0x00C0FFEE);
    r.setShowTime(1);
    r.setInputEncoding(2);
    r.setSendMode(4);
    r.setPeriodMs(0x01020304);
    r.setSendOnConnect(1);
    r.setCommandText("AT+\xC2\xC5\xD0");
    r.setSuffixText("$0D$0A");
    r.setShowNames(1);
}

SettingsRecord everyFieldSet()
{
    SettingsRecord r;
    setEveryField(r);
    return r;
}

}  // namespace

TEST(SettingsRecord, EveryFieldLiesAtItsOffsetLittleEndian)
{
    std::array<unsigned char, SettingsRecord::Size> start{};
    start[263] = 0xAB;  // reserved bytes must survive every setter
    start[279] = 0xCD;
    SettingsRecord r;
    r.setBytes(start);
    setEveryField(r);

    const struct {
        std::size_t offset;
        std::string bytes;
    } expected[] = {
        {0, "\x44\x33\x22\x11"},
        {4, "\x07\x03\xFF\x01"},
        {8, "\xFE\xFF\xFF\xFF"},
        {12,
         "\x03"
         "ERR"},
        {263, "\xAB"},
        {264, std::string("\x0C\x00\x00\x00", 4)},
        {268, std::string("\x05\x00\x00\xFF", 4)},
        {272, std::string("\xEE\xFF\xC0\x00", 4)},
        {276, "\x01\x02\x04\xCD"},
        {280, "\x04\x03\x02\x01"},
        {284,
         "\x01\x06"
         "AT+\xC2\xC5\xD0"},
        {536, "\x06$0D$0A"},
        {787, "\x01"},
    };
    // The whole image: every byte not named above is still zero.
    std::string image(SettingsRecord::Size, '\0');
    for (const auto& e : expected)
        image.replace(e.offset, e.bytes.size(), e.bytes);
    EXPECT_EQ(asString(r), image);

    EXPECT_EQ(r.lastPort(), 0x11223344u);
    EXPECT_EQ(r.timeRxMs(), -2);
    EXPECT_EQ(r.filterText(), "ERR");
    EXPECT_EQ(r.fontSize(), 12);
    EXPECT_EQ(r.backColor(), 0xFF000005u);
    EXPECT_EQ(r.textColor(), 0x00C0FFEEu);
    EXPECT_EQ(r.periodMs(), 0x01020304);
    EXPECT_EQ(r.commandText(), "AT+\xC2\xC5\xD0");
    EXPECT_EQ(r.suffixText(), "$0D$0A");
}

TEST(SettingsRecord, TextsAreCutTo250OnStoreAndOnRead)
{
    const std::string longText(300, 'q');
    struct Field {
        const char* what;
        std::size_t offset;
        void (SettingsRecord::*set)(const std::string&);
        std::string (SettingsRecord::*get)() const;
    };
    const Field fields[] = {
        {"filter", 12, &SettingsRecord::setFilterText, &SettingsRecord::filterText},
        {"command", 285, &SettingsRecord::setCommandText, &SettingsRecord::commandText},
        {"suffix", 536, &SettingsRecord::setSuffixText, &SettingsRecord::suffixText},
    };
    for (const auto& f : fields) {
        SCOPED_TRACE(f.what);
        SettingsRecord r;
        (r.*f.set)(longText);
        EXPECT_EQ((r.*f.get)(), longText.substr(0, 250));
        EXPECT_EQ(raw(r, f.offset, 1), "\xFA");
        (r.*f.set)("ab");
        EXPECT_EQ(raw(r, f.offset, 4),
                  "\x02"
                  "abq");  // old bytes stay behind the length

        // A foreign file may claim more than the field holds; the byte after the
        // field (reserved, or ShowNames) must not leak into the text.
        auto bytes = r.bytes();
        bytes[f.offset] = 0xFF;
        bytes[f.offset + 251] = 'Z';
        r.setBytes(bytes);
        EXPECT_EQ((r.*f.get)(), "ab" + longText.substr(2, 248));
    }
}

TEST(SettingsRecord, PortHashIsFnv1aWithZeroMeaningNone)
{
    EXPECT_EQ(SettingsRecord::portHash(""), 0u);
    EXPECT_EQ(SettingsRecord::portHash("a"), 0xE40C292Cu);
    EXPECT_EQ(SettingsRecord::portHash("foobar"), 0xBF9CF968u);
    EXPECT_NE(SettingsRecord::portHash("ttyUSB0"), SettingsRecord::portHash("ttyUSB1"));
    // FNV-1a of this name is exactly 0, which would read back as "no port".
    EXPECT_EQ(SettingsRecord::portHash("!l`V[["), 1u);
}

TEST(SettingsRecord, PeriodTextBecomesANumberOr1000)
{
    const struct {
        std::string text;
        int32_t period;
    } cases[] = {
        {"", 1000},
        {"250", 250},
        {"0", 0},
        {"007", 7},
        {"+15", 15},
        {"-5", -5},
        {"abc", 1000},
        {"12a", 1000},
        {" 5", 1000},
        {"5 ", 1000},
        {"-", 1000},
        {"+-5", 1000},
        {"1e3", 1000},
        {"0x10", 1000},
        {"2147483647", 2147483647},
        {"2147483648", 1000},
        {"99999999999999999999", 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(periodFromText(c.text), c.period) << '"' << c.text << '"';
}

TEST(SettingsFile, LoadTellsWhatItFound)
{
    const std::string someRecord = asString(everyFieldSet());
    const struct {
        const char* what;
        bool exists;
        std::string bytes;
        SettingsLoad kind;
        std::string recordAfter;  // record content after the load
        std::string fileAfter;
    } cases[] = {
        {"missing", false, "", SettingsLoad::Created, std::string(788, 'k'), std::string(788, '\0')},
        {"788 zero bytes", true, std::string(788, '\0'), SettingsLoad::Blank, std::string(788, '\0'),
         std::string(788, '\0')},
        {"zero record and more", true, std::string(788, '\0') + "tail", SettingsLoad::Blank,
         std::string(788, '\0'), std::string(788, '\0') + "tail"},
        {"record", true, someRecord, SettingsLoad::Loaded, someRecord, someRecord},
        {"record and more", true, someRecord + std::string(100, '\x7F'), SettingsLoad::Loaded, someRecord,
         someRecord + std::string(100, '\x7F')},
        {"787 bytes", true, someRecord.substr(0, 787), SettingsLoad::Failed, std::string(788, 'k'),
         someRecord.substr(0, 787)},
        {"empty", true, "", SettingsLoad::Failed, std::string(788, 'k'), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("CfgTerminal");
        if (c.exists)
            writeFileBytes(path, c.bytes);
        std::array<unsigned char, 788> marker;
        marker.fill('k');
        SettingsRecord r;
        r.setBytes(marker);

        const auto result = loadSettingsFile(path, r);
        EXPECT_EQ(result.kind, c.kind);
        EXPECT_EQ(result.io.ok, c.kind != SettingsLoad::Failed);
        if (c.kind == SettingsLoad::Failed) {
            EXPECT_NE(result.io.error.find("CfgTerminal"), std::string::npos) << result.io.error;
        }
        EXPECT_EQ(asString(r), c.recordAfter);
        EXPECT_EQ(readFileBytes(path), c.fileAfter);
    }
}

// A file that is there but cannot be read is not a first start: it holds the
// user's settings, and the caller must not write over it.
TEST(SettingsFile, AFileThatCannotBeReadIsToldApartFromAMissingOrShortOne)
{
    TempDir dir;
    const std::string path = dir.file("CfgTerminal");
    writeFileBytes(path, asString(everyFieldSet()));
    ::chmod(path.c_str(), 0);
    const auto unreadable = runAsUnprivileged(dir.path(), [&] {
        SettingsRecord r;
        const auto result = loadSettingsFile(path, r);
        return result.kind == SettingsLoad::Unreadable && !result.io.ok;
    });
    ASSERT_TRUE(unreadable.has_value());
    EXPECT_TRUE(*unreadable);

    const std::string folder = dir.file("folder");
    std::filesystem::create_directory(folder);
    SettingsRecord r;
    EXPECT_EQ(loadSettingsFile(folder, r).kind, SettingsLoad::Unreadable);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(SettingsFile, SaveWritesExactlyOneRecordThatLoadsBack)
{
    TempDir dir;
    const std::string path = dir.file("CfgTerminal");
    writeFileBytes(path, std::string(2000, '\x55'));
    auto bytes = everyFieldSet().bytes();
    bytes[263] = 0x11;
    bytes[279] = 0x22;
    SettingsRecord saved;
    saved.setBytes(bytes);
    ASSERT_TRUE(saveSettingsFile(path, saved).ok);
    EXPECT_EQ(readFileBytes(path), asString(saved));

    SettingsRecord back;
    EXPECT_EQ(loadSettingsFile(path, back).kind, SettingsLoad::Loaded);
    EXPECT_EQ(back.bytes(), saved.bytes());
    EXPECT_EQ(filesStartingWith(dir.path(), "CfgTerminal.tmp"), std::vector<std::string>{});
}

TEST(SettingsFile, FailedSaveKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("CfgTerminal");
    const std::string old = asString(everyFieldSet());
    writeFileBytes(path, old);
    const auto ok = runWithFileSizeLimit(100, [&] { return saveSettingsFile(path, SettingsRecord()).ok; });
    ASSERT_TRUE(ok.has_value());
    EXPECT_FALSE(*ok);
    EXPECT_EQ(readFileBytes(path), old);

    const auto r = saveSettingsFile(dir.file("no-such-dir/CfgTerminal"), SettingsRecord());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}
