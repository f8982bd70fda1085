#pragma once
// The fixed context help texts of the help area STH1..STH12. Each text is
// exactly twelve lines, one per help line, kept byte for byte as the user
// sees them: leading blanks, trailing blanks and hyphenations included, and
// blank lines written as blanks rather than skipped, because every line of the
// area is rewritten each time a text is shown.
//
// The texts are UTF-8 (they are the program's own texts, not port data).
#include <array>
#include <cstddef>
#include <string_view>

#include "macros/cmd_lists.h"

namespace comtrax {

inline constexpr std::size_t HelpLineCount = CmdLists::HelpLinesPerMacro;
using HelpText = std::array<std::string_view, HelpLineCount>;

// Shown once, at start-up: how the per-command help works.
const HelpText& generalHelp();

const HelpText& connectHelp();      // BTConnect
const HelpText& rescanHelp();       // BTRescan, as written for Windows
const HelpText& linuxRescanHelp();  // BTRescan on Linux: no registry, no COM1..COM9 limit
const HelpText& rescanHelpForThisSystem();
const HelpText& autoConnectHelp();      // AutoConnect
const HelpText& timeRxHelp();           // TimeOutAns
const HelpText& filterHelp();           // FiltrLog
const HelpText& manualModeHelp();       // RBManual
const HelpText& onSelectModeHelp();     // RBSel
const HelpText& afterAnswerModeHelp();  // RBAfterAns
const HelpText& periodModeHelp();       // RBPeriod
const HelpText& sendOnConnectHelp();    // SendAsReconn
const HelpText& commandLineHelp();      // MainStrCmd
const HelpText& suffixHelp();           // AddStrCmd
const HelpText& cyclicSendHelp();       // CiklSend
const HelpText& lineStateHelp();        // the line-state strip
const HelpText& portSettingsHelp();     // the port settings button

}  // namespace comtrax
