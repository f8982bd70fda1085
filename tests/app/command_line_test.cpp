#include "app/command_line.h"
#include "ui/translation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <map>

#include <stdlib.h>

namespace comtrax {
namespace {

using Outcome = CommandLine::Outcome;

EnvironmentLookup environment(std::map<std::string, std::string> values)
{
    return [values](const char* name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    };
}

CommandLine parse(QStringList args, const EnvironmentLookup& env = environment({{"HOME", "/home/u"}}))
{
    args.prepend("comtrax");
    return parseCommandLine(args, env);
}

TEST(CommandLine, WithNoArgumentsTheProgramRunsInTheCurrentDirectoryWithTheStoredSettings)
{
    const CommandLine r = parse({});
    EXPECT_EQ(r.outcome, Outcome::Run);
    EXPECT_EQ(r.options.directory, ".");
    EXPECT_FALSE(r.options.port);
    EXPECT_FALSE(r.options.baud);
    EXPECT_FALSE(r.options.dataBits);
    EXPECT_FALSE(r.options.stopBitsIndex);
    EXPECT_FALSE(r.options.connect);
}

TEST(CommandLine, EachOptionReachesItsField)
{
    const CommandLine r = parse({"--port", "/home/u/ttyV0", "--baud=115200", "--bits", "7", "--stop", "2",
                                 "--connect", "--dir", "/tmp/lab"});
    ASSERT_EQ(r.outcome, Outcome::Run) << r.text;
    EXPECT_EQ(r.options.port, "/home/u/ttyV0");
    EXPECT_EQ(r.options.baud, 115200);
    EXPECT_EQ(r.options.dataBits, 7);
    EXPECT_EQ(r.options.stopBitsIndex, 2);
    EXPECT_TRUE(r.options.connect);
    EXPECT_EQ(r.options.directory, "/tmp/lab");
    EXPECT_EQ(r.options.language, std::nullopt);
    EXPECT_EQ(parse({"--lang", "EN"}).options.language, "en");
    EXPECT_EQ(parse({"--lang=ru"}).options.language, "ru");

    const CommandLine shortForms = parse({"-p", "ttyUSB1", "-b", "9600", "-c", "-d", "x"});
    ASSERT_EQ(shortForms.outcome, Outcome::Run) << shortForms.text;
    EXPECT_EQ(shortForms.options.port, "ttyUSB1");
    EXPECT_EQ(shortForms.options.baud, 9600);
    EXPECT_TRUE(shortForms.options.connect);
    EXPECT_EQ(shortForms.options.directory, "x");
}

TEST(CommandLine, StopBitsAreTheListsEntries)
{
    const std::pair<const char*, int> cases[] = {{"1", 0}, {"1.5", 1}, {"1,5", 1}, {"2", 2}};
    for (const auto& [text, index] : cases) {
        const CommandLine r = parse({"--stop", text});
        ASSERT_EQ(r.outcome, Outcome::Run) << text;
        EXPECT_EQ(r.options.stopBitsIndex, index) << text;
    }
}

TEST(CommandLine, ParityAndFlowControlTakeTheirNamesInAnyCase)
{
    const std::pair<const char*, Parity> parities[] = {{"none", Parity::None},   {"odd", Parity::Odd},
                                                       {"even", Parity::Even},   {"mark", Parity::Mark},
                                                       {"space", Parity::Space}, {"EVEN", Parity::Even}};
    for (const auto& [text, parity] : parities) {
        const CommandLine r = parse({"--parity", text});
        ASSERT_EQ(r.outcome, Outcome::Run) << text << r.text;
        EXPECT_EQ(r.options.parity, parity) << text;
        EXPECT_FALSE(r.options.flow) << text;
    }
    const std::pair<const char*, FlowControl> flows[] = {
        {"none", FlowControl::None},
        {"rtscts", FlowControl::RtsCts},
        {"XonXoff", FlowControl::XonXoff},
        {"RTS/CTS", FlowControl::RtsCts}};  // as the window shows it
    for (const auto& [text, flow] : flows) {
        const CommandLine r = parse({"--flow=" + QString::fromLatin1(text)});
        ASSERT_EQ(r.outcome, Outcome::Run) << text << r.text;
        EXPECT_EQ(r.options.flow, flow) << text;
        EXPECT_FALSE(r.options.parity) << text;
    }
    const CommandLine none = parse({});
    EXPECT_FALSE(none.options.parity);
    EXPECT_FALSE(none.options.flow);
}

TEST(CommandLine, BadArgumentsFailWithStatusTwoAndSayWhatIsWrong)
{
    struct Case {
        QStringList args;
        const char* said;
    };
    const Case cases[] = {
        {{"--baud", "fast"}, "«fast»"},
        {{"--baud", "0"}, "--baud"},
        {{"--baud", "-9600"}, "--baud"},
        {{"--baud", "9600.5"}, "--baud"},
        {{"--baud", "99999999999"}, "--baud"},
        {{"--baud", ""}, "--baud"},
        {{"--bits", "9"}, "--bits"},
        {{"--bits", "4"}, "--bits"},
        {{"--stop", "3"}, "--stop"},
        {{"--stop", "one"}, "--stop"},
        {{"--port", ""}, "--port"},
        {{"--dir", ""}, "--dir"},
        {{"--lang", "de"}, "--lang"},
        {{"--lang", ""}, "--lang"},
        {{"--parity", "o"}, "чётность «o»"},
        {{"--parity", "1"}, "--parity"},
        {{"--parity", ""}, "--parity"},
        {{"--flow", "hardware"}, "«hardware»"},
        {{"--flow", "rts"}, "--flow"},
        {{"--flow"}, "у параметра --flow нет значения"},
        {{"--port"}, "у параметра --port нет значения"},
        {{"--baud", "9600", "-b"}, "у параметра -b нет значения"},
        {{"--speed", "9600"}, "«--speed»"},
        {{"-x"}, "«-x»"},
        {{"ttyUSB0"}, "лишний аргумент «ttyUSB0»"},
    };
    for (const Case& c : cases) {
        const CommandLine r = parse(c.args);
        EXPECT_EQ(r.outcome, Outcome::Fail) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_NE(r.text.find(c.said), std::string::npos) << r.text;
        EXPECT_NE(r.text.find("comtrax --help"), std::string::npos) << r.text;
    }
}

TEST(CommandLine, HelpAndVersionPrintAndExitWithSuccess)
{
    const CommandLine help = parse({"--help", "--baud", "bad"});
    EXPECT_EQ(help.outcome, Outcome::Print);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--port ИМЯ", "--baud N", "--bits N", "--stop N", "--parity ЧЁТНОСТЬ",
                               "--flow УПРАВЛЕНИЕ", "--connect", "--dir ПАПКА", "--desktop", "--version"})
        EXPECT_NE(help.text.find(option), std::string::npos) << option;

    const CommandLine version = parse({"-v"});
    EXPECT_EQ(version.outcome, Outcome::Print);
    EXPECT_EQ(version.text.rfind("Comtrax 1.", 0), 0u) << version.text;
    EXPECT_NE(version.text.find(std::string("(Qt ") + qVersion() + ")"), std::string::npos) << version.text;
}

// The command line is read before the application exists (so that --help
// needs no display), yet speaks the user's language.
TEST(CommandLine, ItSpeaksTheUsersLanguageBeforeTheApplicationExists)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ASSERT_TRUE(installLanguage(Language::English));
    const CommandLine english = parse({"--bits", "9"});
    const CommandLine help = parse({"--help"});
    installLanguage(Language::Russian);
    EXPECT_NE(english.text.find("the data bits '9' are not valid"), std::string::npos) << english.text;
    EXPECT_NE(help.text.find("open the port at start-up"), std::string::npos) << help.text;
    EXPECT_NE(parse({"--bits", "9"}).text.find("биты данных «9»"), std::string::npos);
}

TEST(CommandLine, QtsOwnOptionsAreLeftToTheWindowSystem)
{
    const CommandLine r = parse({"-platform", "offscreen", "-style", "fusion", "-p", "ttyS0"});
    ASSERT_EQ(r.outcome, Outcome::Run) << r.text;
    EXPECT_EQ(r.options.port, "ttyS0");
}

TEST(CommandLine, AStartFromTheMenuKeepsItsFilesInTheUsersDataDirectory)
{
    struct Case {
        std::map<std::string, std::string> env;
        std::optional<std::string> directory;
    };
    const Case cases[] = {
        {{{"HOME", "/home/u"}}, "/home/u/.local/share/comtrax"},
        {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/data/u"}}, "/data/u/comtrax"},
        {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", ""}}, "/home/u/.local/share/comtrax"},
        {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", "relative"}}, "/home/u/.local/share/comtrax"},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        const CommandLine r = parse({"--desktop"}, environment(c.env));
        if (c.directory) {
            ASSERT_EQ(r.outcome, Outcome::Run) << r.text;
            EXPECT_EQ(r.options.directory, *c.directory);
        } else {
            EXPECT_EQ(r.outcome, Outcome::Fail);
            EXPECT_EQ(r.exitCode, 2);
        }
    }
    // A directory given by hand wins over the launcher's.
    EXPECT_EQ(parse({"--desktop", "--dir", "/x"}).options.directory, "/x");
}

TEST(CommandLine, AMissingDirectoryIsMadeAndAFileInItsPlaceIsRefused)
{
    char pattern[] = "/tmp/comtrax-cl-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    EXPECT_FALSE(prepareDirectory(root + "/a/b/comtrax"));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/a/b/comtrax"));
    EXPECT_FALSE(prepareDirectory(root + "/a/b/comtrax"));  // already there
    std::FILE* f = std::fopen((root + "/file").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const std::optional<std::string> error = prepareDirectory(root + "/file");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(root + "/file"), std::string::npos);
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace comtrax
