#include "presentation/window_layout.h"

#include <algorithm>

namespace comtrax {

namespace {

constexpr int MacroColumns = 6;
constexpr int MacroRows = 8;
constexpr int MacroColumnLeft[MacroColumns] = {8, 96, 184, 272, 360, 448};

int macroColumn(int k)
{
    return (k - 1) / MacroRows;
}

}  // namespace

InitialLayout designInitialLayout()
{
    InitialLayout l;  // the member defaults are the design values
    for (int k = 1; k <= 12; ++k)
        l.sthLeft[k] = 668;
    for (int k = 1; k <= MacroColumns * MacroRows; ++k) {
        const int c = macroColumn(k);
        l.buttons[k] = {MacroColumnLeft[c], c == MacroColumns - 1 ? 201 : 89};
    }
    return l;
}

WindowLayout layoutWidth(const InitialLayout& in, int clientWidth, int clientHeight, bool fileViewOpen,
                         int mainStrCmdWidthBefore)
{
    WindowLayout out;

    // 1. Integer division in C++ truncates toward zero, as the column step must.
    const int dw = clientWidth - in.clientWidth;
    const int s = dw / 7;
    out.dw = dw;
    out.columnStep = s;

    // The bands follow the bottom edge; only MainWindow stretches.
    out.mainPanelTop = clientHeight - in.mainPanelBottomGap - in.mainPanelHeight;
    out.mainWindowTop = in.mainWindowTop;
    out.mainWindowHeight = std::max(0, clientHeight - in.mainWindowBottomGap - in.mainWindowTop);

    // 2.
    out.logPanelTop = out.mainPanelTop - in.logPanelHeight;
    // 3.
    out.stLogWidth = in.stLogWidth + dw;
    out.filtrLogWidth = in.filtrLogWidth + dw;
    // 4.
    out.sendStartLeft = in.sendStartLeft + dw;
    out.lPlusLeft = in.lPlusLeft + dw;
    out.saveFLeft = in.saveFLeft + dw;
    // 5.
    out.bandWidth = in.panel1Width + dw;
    // 6. Deliberately the width before step 8; the housekeeping tick catches up.
    out.fastOldCmdWidth = mainStrCmdWidthBefore;
    // 7.
    out.str1Left = in.str1Left + dw;
    out.str2Left = in.str2Left + dw;
    out.sriftLeft = in.sriftLeft + dw;
    out.startStopLeft = in.startStopLeft + dw;
    out.startLogLeft = in.startLogLeft + dw;
    out.btLogLeft = in.btLogLeft + dw;
    // 8.
    out.mainStrCmdWidth = in.mainStrCmdWidth + dw;
    out.addStrCmdLeft = in.addStrCmdLeft + dw;
    // 9.
    out.btPalitraLeft = in.btPalitraLeft + dw;
    out.listIncLeft = in.listIncLeft + dw;
    out.listDecLeft = in.listDecLeft + dw;
    out.delListLeft = in.delListLeft + dw;
    out.editAllCmdLeft = in.editAllCmdLeft + dw;
    out.buttonReadFileLeft = in.buttonReadFileLeft + dw;
    out.buttonSendLeft = in.buttonSendLeft + dw;
    // 10.
    out.oldCmdList = {in.mainWindowLeft, out.addStrCmdLeft + in.addStrCmdWidth};
    // 11.
    out.stListNameWidth = in.stListNameWidth + dw;
    out.listNameEdtWidth = in.listNameEdtWidth + dw;
    // 12.
    out.rbNameLeft = in.rbNameLeft + dw;
    out.rbDataLeft = in.rbDataLeft + dw;
    out.btInfoLeft = in.btInfoLeft + dw;
    out.cbListsWidth = in.cbListsWidth + dw;
    // 13.
    out.lbTailLeft = out.addStrCmdLeft;
    // 14. The file name runs up to just before ButtonReadFile.
    if (fileViewOpen)
        out.stListNameWidth = in.stListNameLeft + out.buttonReadFileLeft - 20;
    // 15.
    for (int k = 1; k <= 12; ++k)
        out.sthLeft[k] = in.sthLeft[k] + dw;
    // 16. Columns 0..4 grow by one step each and shift by the steps of the
    // columns before them; the wide last column grows by two steps.
    for (int k = 1; k <= MacroColumns * MacroRows; ++k) {
        const int c = macroColumn(k);
        const HSpan& b = in.buttons[k];
        if (c < MacroColumns - 1)
            out.buttons[k] = {b.left + c * s, b.width + s};
        else
            out.buttons[k] = {b.left + c * s, b.width + 2 * s};
    }
    // 17. Edit k takes Button k's span (the caller applies out.buttons to both).
    // 18.
    out.staticText1 = {in.mainStrCmdLeft, out.buttons[41].left + out.buttons[41].width};
    // 19.
    out.staticText3Left = out.addStrCmdLeft;
    return out;
}

}  // namespace comtrax
