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

namespace comtrax {

inline constexpr std::size_t HelpLineCount = 12;
using HelpText = std::array<std::string_view, HelpLineCount>;

// Shown once, at start-up: how the per-command help works.
const HelpText& OutHelpHelp();

const HelpText& OutHelpConnect();       // BTConnect
const HelpText& OutHelpRescan();        // BTRescan
const HelpText& OutHelpAutoConnect();   // AutoConnect
const HelpText& OutHelpTimeRX();        // TimeOutAns
const HelpText& OutHelpFiltr();         // FiltrLog
const HelpText& OutHelpModeManual();    // RBManual
const HelpText& OutHelpModeSel();       // RBSel
const HelpText& OutHelpModeAfterAns();  // RBAfterAns
const HelpText& OutHelpModePeriod();    // RBPeriod
const HelpText& OutHelpForConnect();    // SendAsReconn
const HelpText& OutHelpConsol();        // MainStrCmd
const HelpText& OutHelpAddConsol();     // AddStrCmd
const HelpText& OutHelpCiklSend();      // CiklSend

}  // namespace comtrax
