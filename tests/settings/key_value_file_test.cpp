// The tolerant key=value file as a feature of its own would use it: a list of
// numbered entries, some keys it knows, the rest kept where they stood.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "settings/key_value_file.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

const std::string Heading = "# a feature's file";

std::map<std::string, std::string> readAll(const std::string& text, std::vector<KeptLine>& kept)
{
    std::map<std::string, std::string> known;
    kept = parseKeyValues(text, Heading, [&](const std::string& key, const std::string& value) {
        if (key.rfind("entry.", 0) != 0)
            return false;
        known[key] = value;
        return true;
    });
    return known;
}

}  // namespace

TEST(KeyValueFile, KnownKeysAreReadAndEverythingElseComesBackWhereItStood)
{
    const std::string text = Heading
        + "\n# my note on the first entry\nentry.1.name = login \r\n"
          "newerKey=7\n\nentry.2.name=ack\n# closing note\n";
    std::vector<KeptLine> kept;
    const auto known = readAll(text, kept);
    EXPECT_EQ(known.at("entry.1.name"), "login");
    EXPECT_EQ(known.at("entry.2.name"), "ack");
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[0], (KeptLine{"# my note on the first entry", "entry.1.name"}));
    EXPECT_EQ(kept[1], (KeptLine{"newerKey=7", "entry.2.name"}));
    EXPECT_EQ(kept[3], (KeptLine{"# closing note", ""}));

    const std::string written = formatKeyValues(Heading, {known.begin(), known.end()}, kept);
    EXPECT_EQ(written,
              Heading
                  + "\n# my note on the first entry\nentry.1.name=login\nnewerKey=7\n\n"
                    "entry.2.name=ack\n# closing note\n");
    // Reading what was written and writing it again changes nothing.
    std::vector<KeptLine> again;
    const auto knownAgain = readAll(written, again);
    EXPECT_EQ(formatKeyValues(Heading, {knownAgain.begin(), knownAgain.end()}, again), written);
    // An entry deleted since: its notes are not lost, they go to the end.
    EXPECT_EQ(formatKeyValues(Heading, {{"entry.2.name", "ack"}}, kept),
              Heading + "\nnewerKey=7\n\nentry.2.name=ack\n# my note on the first entry\n# closing note\n");
}

TEST(KeyValueFile, AFileIsReadWholeOrNotAtAll)
{
    TempDir dir;
    const std::string path = dir.path() + "/CfgFeature";
    KeyValueLoad none = loadKeyValueFile(path, 16);
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.io);
    std::ofstream(path) << "entry.1.name=x\n";  // 15 bytes: fits
    KeyValueLoad fits = loadKeyValueFile(path, 16);
    EXPECT_TRUE(fits.found && fits.io);
    EXPECT_EQ(fits.text, "entry.1.name=x\n");
    std::ofstream(path, std::ios::app) << "more\n";
    KeyValueLoad tooLong = loadKeyValueFile(path, 16);
    EXPECT_TRUE(tooLong.found);
    EXPECT_FALSE(tooLong.io);
    EXPECT_TRUE(tooLong.text.empty());
    ASSERT_TRUE(saveKeyValueFile(path, "entry.1.name=y\n"));
    EXPECT_EQ(loadKeyValueFile(path, 16).text, "entry.1.name=y\n");
}

TEST(KeyValueFile, ValuesAsTheFilesWriteThem)
{
    EXPECT_EQ(parseKeyValueBool("on"), true);
    EXPECT_EQ(parseKeyValueBool("0"), false);
    EXPECT_EQ(parseKeyValueBool("maybe"), std::nullopt);
    EXPECT_EQ(parseKeyValueInt("-20"), -20);
    EXPECT_EQ(parseKeyValueInt("20ms"), std::nullopt);
    EXPECT_EQ(parseKeyValueInt(""), std::nullopt);
}
