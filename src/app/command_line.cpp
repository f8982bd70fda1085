#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QtGlobal>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/texts.h"
#include "serial/port_path.h"

#ifndef COMTRAX_VERSION
#define COMTRAX_VERSION "unknown"
#endif

namespace comtrax {

namespace {

// A text of the program in the user's language (the window's lookup, which
// the program sets up before it reads the command line).
QString tr(const char* source)
{
    return QString::fromStdString(trText(source));
}

// One row per option: the parser and the help text both come from here, so a
// new line parameter is one row and one check below.
struct OptionRow {
    QStringList names;
    const char* valueName;  // nullptr for a switch
    const char* help;
};

const std::vector<OptionRow>& optionRows()
{
    static const std::vector<OptionRow> rows = {
        {{"h", "help"}, nullptr, "показать эту справку и выйти"},
        {{"v", "version"}, nullptr, "показать версию программы и Qt и выйти"},
        {{"p", "port"},
         "ИМЯ",
         "порт: имя из списка (ttyUSB0), путь к устройству или сетевой порт (tcp://УЗЕЛ:ПОРТ, "
         "rfc2217://УЗЕЛ:ПОРТ)"},
        {{"b", "baud"}, "N", "скорость, бод"},
        {{"bits"}, "N", "биты данных: 5, 6, 7 или 8"},
        {{"stop"}, "N", "стоповые биты: 1, 1.5 или 2"},
        {{"parity"}, "ЧЁТНОСТЬ", "чётность: none, odd, even, mark или space"},
        {{"flow"}, "УПРАВЛЕНИЕ", "управление потоком: none, rtscts или xonxoff"},
        {{"c", "connect"}, nullptr, "открыть порт при запуске"},
        {{"d", "dir"}, "ПАПКА", "папка настроек, макросов, истории и логов (по умолчанию текущая)"},
        {{"lang"}, "ru|en", "язык интерфейса: ru или en (по умолчанию — язык системы)"},
        {{"desktop"}, nullptr, "запуск из меню: папка данных пользователя (~/.local/share/comtrax)"},
    };
    return rows;
}

// Qt's own options (the window system takes them from the same command line);
// accepted here so that they reach it.
const QStringList qtValueOptions = {"platform", "platformpluginpath", "platformtheme", "style", "stylesheet",
                                    "display",  "qwindowgeometry",    "qwindowtitle"};
const QStringList qtSwitches = {"reverse"};

QString helpText()
{
    QString text = tr("Использование: comtrax [параметры]\n"
                      "Терминал последовательного порта. Параметры порта из командной строки действуют\n"
                      "вместо сохранённых; без параметров программа запускается как обычно.\n\n");
    for (const OptionRow& row : optionRows()) {
        QString names;
        for (const QString& name : row.names)
            names += (names.isEmpty() ? "" : ", ") + QString(name.size() == 1 ? "-" : "--") + name;
        if (row.valueName)
            names += ' ' + tr(row.valueName);
        text += QStringLiteral("  %1  %2\n").arg(names, -22).arg(tr(row.help));
    }
    return text;
}

CommandLine fail(const QString& message)
{
    CommandLine r;
    r.outcome = CommandLine::Outcome::Fail;
    r.text = QStringLiteral("comtrax: %1\n%2\n").arg(message, tr("Справка: comtrax --help")).toStdString();
    r.exitCode = 2;
    return r;
}

CommandLine print(const QString& text)
{
    CommandLine r;
    r.outcome = CommandLine::Outcome::Print;
    r.text = text.toStdString();
    return r;
}

// A whole decimal number within [low, high], nothing else.
std::optional<int> wholeNumber(const QString& text, int low, int high)
{
    bool ok = false;
    const long long value = text.toLongLong(&ok, 10);
    if (!ok || text.startsWith('+') || text.trimmed() != text || value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
}

// The option that takes a value but stands last, with nothing after it.
QString optionMissingItsValue(const QStringList& args)
{
    if (args.size() < 2)
        return {};
    const QString& last = args.last();
    for (const OptionRow& row : optionRows())
        for (const QString& name : row.names)
            if (row.valueName && (last == "-" + name || last == "--" + name))
                return last;
    return {};
}

// "ru" or "en", in any case and with blanks around it; nothing for any other name.
std::optional<std::string> languageNamed(const QString& text)
{
    const QString lang = text.trimmed().toLower();
    if (lang != QLatin1String("ru") && lang != QLatin1String("en"))
        return std::nullopt;
    return lang.toStdString();
}

}  // namespace

CommandLine parseCommandLine(const QStringList& args, const EnvironmentLookup& env,
                             const LanguageSwitch& useLanguage)
{
    QCommandLineParser parser;
    // "-platform offscreen" is Qt's, "-p" ours: no bundling of one-letter options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionRow& row : optionRows())
        parser.addOption(row.valueName
                             ? QCommandLineOption(row.names, QString(), QString::fromUtf8(row.valueName))
                             : QCommandLineOption(row.names));
    for (const QString& name : qtValueOptions)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    for (const QString& name : qtSwitches)
        parser.addOption(QCommandLineOption(name));

    // The parser reads every option it knows even when another is wrong, so
    // the language is known before the first text, an error's included.
    const bool parsed = parser.parse(args);
    const std::optional<std::string> language =
        parser.isSet("lang") ? languageNamed(parser.value("lang")) : std::nullopt;
    if (language && useLanguage)
        useLanguage(*language);
    if (!parsed) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().first();
            return fail(tr("неизвестный параметр «%1»").arg((name.size() == 1 ? "-" : "--") + name));
        }
        const QString option = optionMissingItsValue(args);
        if (!option.isEmpty())
            return fail(tr("у параметра %1 нет значения").arg(option));
        return fail(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(tr("лишний аргумент «%1»").arg(parser.positionalArguments().first()));

    if (parser.isSet("help"))
        return print(helpText());
    if (parser.isSet("version"))
        return print(QStringLiteral("Comtrax %1 (Qt %2)\n").arg(COMTRAX_VERSION, qVersion()));

    CommandLine r;
    StartOptions& o = r.options;
    if (parser.isSet("port")) {
        const QString port = parser.value("port");
        if (port.isEmpty())
            return fail(tr("пустое имя порта (--port)"));
        // A file name, as the system spells it; "~/" as the shell would have
        // expanded it had the path not been quoted.
        o.port = expandHomePath(QFile::encodeName(port).toStdString(), env("HOME"));
    }
    if (parser.isSet("baud")) {
        o.baud = wholeNumber(parser.value("baud"), 1, 4000000);
        if (!o.baud)
            return fail(tr("скорость «%1» не годится (--baud): нужно целое число бод от 1 до 4000000")
                            .arg(parser.value("baud")));
    }
    if (parser.isSet("bits")) {
        o.dataBits = wholeNumber(parser.value("bits"), 5, 8);
        if (!o.dataBits)
            return fail(
                tr("биты данных «%1» не годятся (--bits): нужно 5, 6, 7 или 8").arg(parser.value("bits")));
    }
    if (parser.isSet("stop")) {
        const QString stop = parser.value("stop");
        const QStringList stops[] = {{"1"}, {"1.5", "1,5"}, {"2"}};
        for (int i = 0; i < 3; ++i)
            if (stops[i].contains(stop))
                o.stopBitsIndex = i;
        if (!o.stopBitsIndex)
            return fail(tr("стоповые биты «%1» не годятся (--stop): нужно 1, 1.5 или 2").arg(stop));
    }
    if (parser.isSet("parity")) {
        o.parity = valueNamed<Parity>(parser.value("parity").trimmed().toLower().toStdString(), ParityNames);
        if (!o.parity)
            return fail(tr("чётность «%1» не годится (--parity): нужно none, odd, even, mark или space")
                            .arg(parser.value("parity")));
    }
    if (parser.isSet("flow")) {
        o.flow = valueNamed<FlowControl>(parser.value("flow").trimmed().toLower().toStdString(), FlowNames);
        if (!o.flow)
            return fail(tr("управление потоком «%1» не годится (--flow): нужно none, rtscts или xonxoff")
                            .arg(parser.value("flow")));
    }
    o.connect = parser.isSet("connect");
    if (parser.isSet("lang")) {
        if (!language)
            return fail(tr("язык «%1» не годится (--lang): нужно ru или en").arg(parser.value("lang")));
        o.language = language;
    }
    if (parser.isSet("dir")) {
        const QString dir = parser.value("dir");
        if (dir.isEmpty())
            return fail(tr("пустой путь к папке (--dir)"));
        o.directory = dir.toStdString();
    } else if (parser.isSet("desktop")) {
        const std::optional<std::string> data = launcherDataDirectory(env);
        if (!data)
            return fail(tr("не задана домашняя папка (HOME), укажите папку параметром --dir"));
        o.directory = *data;
    }
    return r;
}

std::optional<std::string> launcherDataDirectory(const EnvironmentLookup& env)
{
    const std::optional<std::string> xdg = env("XDG_DATA_HOME");
    if (xdg && !xdg->empty() && xdg->front() == '/')
        return *xdg + "/comtrax";
    const std::optional<std::string> home = env("HOME");
    if (home && !home->empty() && home->front() == '/')
        return *home + "/.local/share/comtrax";
    return std::nullopt;
}

std::optional<std::string> processEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::optional<std::string> prepareDirectory(const std::string& directory)
{
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (std::filesystem::is_directory(directory, ec))
        return std::nullopt;
    const QString reason = ec ? QString::fromStdString(systemReason(ec.value())) : tr("это не папка");
    return QStringLiteral("comtrax: %1\n")
        .arg(tr("не удалось создать папку %1: %2").arg(QString::fromStdString(directory), reason))
        .toStdString();
}

}  // namespace comtrax
