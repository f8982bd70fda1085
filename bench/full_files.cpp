#include "full_files.h"

#include "macros/cmd_lists.h"
#include "transmit/history.h"

namespace comtrax::bench {

void fillCmdLists(CmdLists& lists)
{
    lists.setDefaults();  // for the validity marks
    for (int n = 1; n <= CmdLists::Lists; ++n) {
        lists.setListName(n, "List of commands number " + std::to_string(n));
        for (int k = 1; k <= CmdLists::Macros; ++k) {
            lists.setCommandLine(n, k, std::string(250, char('A' + k % 26)));
            lists.setCommandName(n, k, "Macro " + std::to_string(k));
            for (int j = 1; j <= CmdLists::HelpLinesPerMacro; ++j)
                lists.setCommandHelp(n, k, j, std::string(50, char('a' + j)));
        }
    }
}

std::string writeFullCmdConfigAndHistory(const std::string& dir)
{
    CmdLists lists;
    fillCmdLists(lists);
    if (auto r = lists.saveLists(dir + "/CmdConfig"); !r)
        return r.error;
    SentHistory history;
    const std::string oldCmd = dir + "/OldCmd";
    if (auto r = history.load(oldCmd); !r)  // creates the file
        return r.error;
    for (int i = 0; i < SentHistory::Slots; ++i)
        history.recordSent("AT+HISTORY=" + std::to_string(i) + std::string(200, char('a' + i % 26)));
    if (auto r = history.saveIfPresent(oldCmd); !r)
        return r.error;
    return {};
}

}  // namespace comtrax::bench
