#pragma once
// The terminal's three files as a long-time user has them: every command list
// full (CmdConfig, 10 258 000 bytes), fifty lines of history (OldCmd). The
// settings (CfgTerminal) are written by the window itself on closing.
#include <string>

namespace comtrax {
class CmdLists;
}

namespace comtrax::bench {

// Every field of every list holds text, so nothing is cheaper than in real use.
void fillCmdLists(CmdLists& lists);
// Writes CmdConfig and OldCmd into dir; an empty string or the error.
std::string writeFullCmdConfigAndHistory(const std::string& dir);

}  // namespace comtrax::bench
