#include "app/command_line.h"
#include "ui/kit/translation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

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

// A quoted '~/ttyV0' reaches the program unexpanded: it is expanded as the
// shell would have, so that --port and the box read one path alike. A port
// path is a file name, its bytes the system's (UTF-8).
TEST(CommandLine, APortPathIsAFileNameWithTheHomeExpanded)
{
    const struct {
        QString given;
        std::string port;
        std::map<std::string, std::string> env;
    } cases[] = {
        {"~/ttyV0", "/home/u/ttyV0", {{"HOME", "/home/u"}}},
        {"~/ttyV0", "/home/u/ttyV0", {{"HOME", "/home/u/"}}},
        {QString::fromUtf8("~/dev/порт"), "/home/u/dev/порт", {{"HOME", "/home/u"}}},
        {QString::fromUtf8("/home/u/порт/ttyV0"), "/home/u/порт/ttyV0", {{"HOME", "/home/u"}}},
        {"~other/ttyV0", "~other/ttyV0", {{"HOME", "/home/u"}}},  // no other user's home
        {"/tmp/~/ttyV0", "/tmp/~/ttyV0", {{"HOME", "/home/u"}}},
        {"~/ttyV0", "~/ttyV0", {}},  // no home to expand to
        {"~/ttyV0", "~/ttyV0", {{"HOME", "relative"}}},
        {"ttyUSB0", "ttyUSB0", {{"HOME", "/home/u"}}},
    };
    for (const auto& c : cases) {
        const CommandLine r = parse({"--port", c.given}, environment(c.env));
        ASSERT_EQ(r.outcome, Outcome::Run) << c.given.toStdString();
        EXPECT_EQ(r.options.port, c.port) << c.given.toStdString();
    }
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

struct ProgramRun {
    int exitCode = -1;
    std::string out, err;
};

// The program as a shell starts it, on a system whose language is `system`.
ProgramRun runProgram(const QStringList& args, const QString& system)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString locale = system == "ru" ? "ru_RU.UTF-8" : "en_US.UTF-8";
    for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES"})
        env.insert(name, locale);
    env.insert("LANGUAGE", system);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(COMTRAX_PROGRAM), args);
    ProgramRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

// --lang wins over the system's language for everything the command line
// says, its help and its messages alike, wherever --lang stands.
TEST(ProgramCommandLine, LangChoosesTheLanguageOfTheHelpAndTheMessages)
{
    struct Case {
        QStringList args;
        const char* system;
        int exitCode;
        std::string said;  // in stdout for status 0, in stderr otherwise
    };
    const Case cases[] = {
        {{"--help"}, "ru", 0, "показать эту справку и выйти"},  // the system's language
        {{"--lang", "en", "--help"}, "ru", 0, "print this help and exit"},
        {{"--help", "--lang=EN"}, "ru", 0, "open the port at start-up"},
        {{"--lang", "ru", "--help"}, "en", 0, "показать эту справку и выйти"},
        {{"--bits", "9", "--lang", "en"}, "ru", 2, "the data bits '9' are not valid"},
        {{"--lang", "en", "--speed", "9600"}, "ru", 2, "unknown option '--speed'"},
        {{"--lang", "ru", "--baud", "fast"}, "en", 2, "скорость «fast» не годится"},
        // A language the program does not have: said in the system's.
        {{"--lang", "de", "--help"}, "ru", 0, "показать эту справку и выйти"},
        {{"--lang", "de"}, "en", 2, "(--lang)"},
    };
    for (const Case& c : cases) {
        const ProgramRun r = runProgram(c.args, c.system);
        const std::string where = c.args.join(' ').toStdString() + " on " + c.system;
        EXPECT_EQ(r.exitCode, c.exitCode) << where << "\n" << r.err;
        EXPECT_NE((c.exitCode == 0 ? r.out : r.err).find(c.said), std::string::npos) << where << "\n"
                                                                                     << r.out << r.err;
    }
    // The English messages are wholly English.
    const ProgramRun en = runProgram({"--lang", "en", "--flow", "x"}, "ru");
    EXPECT_FALSE(QString::fromStdString(en.err).contains(QRegularExpression("[\\x{0400}-\\x{04FF}]")))
        << en.err;
}

TEST(CommandLine, OnlyALanguageTheProgramHasIsSwitchedTo)
{
    std::vector<std::string> switched;
    const LanguageSwitch record = [&switched](const std::string& name) { switched.push_back(name); };
    parseCommandLine({"comtrax", "--lang", " En ", "--baud", "x"}, environment({}), record);
    parseCommandLine({"comtrax", "--lang", "de", "--help"}, environment({}), record);
    parseCommandLine({"comtrax", "--help"}, environment({}), record);
    parseCommandLine({"comtrax", "--lang=ru", "--bogus"}, environment({}), record);
    EXPECT_EQ(switched, (std::vector<std::string>{"en", "ru"}));
}

// The manual page tells of every option the help lists and every file the
// program keeps.
TEST(ManualPage, ListsEveryOptionAndEveryFile)
{
    std::ifstream in(COMTRAX_SOURCE_DIR "/data/comtrax.1");
    ASSERT_TRUE(in) << COMTRAX_SOURCE_DIR "/data/comtrax.1";
    std::stringstream page;
    page << in.rdbuf();
    const std::string man = page.str();

    const CommandLine help = parse({"--help"});
    ASSERT_EQ(help.outcome, Outcome::Print);
    const QRegularExpression longOption(QStringLiteral("--([a-z]+)"));
    int options = 0;
    for (const auto& m : longOption.globalMatch(QString::fromStdString(help.text))) {
        const std::string name = m.captured(1).toStdString();
        ++options;
        EXPECT_NE(man.find("\\-\\-" + name), std::string::npos) << "--" << name;
    }
    EXPECT_GE(options, 12);
    const std::size_t files = man.find(".SH FILES");
    ASSERT_NE(files, std::string::npos);
    for (const char* file : {"CfgTerminal", "CfgLine", "CmdConfig", "OldCmd", "LOG_"})
        EXPECT_NE(man.find(file, files), std::string::npos) << file;
}

}  // namespace
}  // namespace comtrax
