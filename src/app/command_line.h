#pragma once
// The program's command line: what a start from a shell or a launcher asks for.
// QtCore only, so that it is tested without a window.
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

#include "serial/serial_port.h"

namespace comtrax {

// What the command line overrides for this run; an empty field keeps the
// stored setting.
struct StartOptions {
    std::optional<std::string> port;  // a listed name or a path to a device (file-name bytes)
    std::optional<int> baud;
    std::optional<int> dataBits;
    std::optional<int> stopBitsIndex;  // 0: 1, 1: 1,5, 2: 2 (the stop-bit list's entries)
    std::optional<Parity> parity;
    std::optional<FlowControl> flow;
    bool connect = false;
    std::optional<std::string> language;  // "ru" or "en": over the system's locale
    std::string directory = ".";          // CfgTerminal, CmdConfig, OldCmd and the log files
};

struct CommandLine {
    enum class Outcome { Run, Print, Fail };
    Outcome outcome = Outcome::Run;
    StartOptions options;
    std::string text;  // Print: for stdout; Fail: the message for stderr
    int exitCode = 0;  // for Print and Fail
};

// Reads the environment (for the launcher's data directory).
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// Makes "ru" or "en" the language of every text made after it.
using LanguageSwitch = std::function<void(const std::string& language)>;

// args as main gets them, the program's name first. Neither prints nor
// creates anything: the caller does, so that every case is a plain result.
// A valid --lang is handed to useLanguage before any text is made, so that
// the help and every message speak the language asked for.
CommandLine parseCommandLine(const QStringList& args, const EnvironmentLookup& env,
                             const LanguageSwitch& useLanguage = {});

// Where a start from the menu keeps its files: $XDG_DATA_HOME/comtrax, or
// ~/.local/share/comtrax where that is unset or not absolute.
std::optional<std::string> launcherDataDirectory(const EnvironmentLookup& env);

// The process environment, for the program.
std::optional<std::string> processEnvironment(const char* name);

// Makes the chosen directory when it is missing; an error text when that fails.
std::optional<std::string> prepareDirectory(const std::string& directory);

}  // namespace comtrax
