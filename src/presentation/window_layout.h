#pragma once
// The main window's layout arithmetic, kept free of widgets so that it can be
// checked number by number. Nothing is anchored to the right edge: when the
// client area changes, layoutWidth recomputes every horizontal position and
// width that depends on it from the values captured as the window was built,
// so repeated resizing never accumulates rounding drift.
#include <array>

namespace comtrax {

// The client area the window is designed for (the outer window is 959 × 790).
inline constexpr int DesignClientWidth = 951;
inline constexpr int DesignClientHeight = 763;

struct HSpan {
    int left = 0;
    int width = 0;
    bool operator==(const HSpan&) const = default;
};

// Values captured from the controls as created, before any layout pass.
struct InitialLayout {
    int clientWidth = DesignClientWidth;    // the width dw is measured against
    int clientHeight = DesignClientHeight;  // the height the bottom gaps are measured against

    // Vertical bands.
    int mainWindowTop = 28;
    int mainWindowBottomGap = 360;  // client bottom minus MainWindow's bottom edge
    int logPanelHeight = 45;
    int mainPanelHeight = 297;
    int mainPanelBottomGap = 14;  // client bottom minus MainPanel's bottom edge

    int panel1Width = 937;

    // Left edges.
    int sendStartLeft = 668;
    int lPlusLeft = 652;
    int saveFLeft = 388;
    int str1Left = 636;
    int str2Left = 916;
    int sriftLeft = 604;
    int startStopLeft = 756;
    int startLogLeft = 696;
    int btLogLeft = 636;
    int addStrCmdLeft = 668;
    int btPalitraLeft = 816;
    int listIncLeft = 564;
    int listDecLeft = 480;
    int delListLeft = 388;
    int editAllCmdLeft = 302;
    int buttonReadFileLeft = 564;
    int buttonSendLeft = 800;
    int rbNameLeft = 668;
    int rbDataLeft = 668;
    int btInfoLeft = 876;
    std::array<int, 13> sthLeft{};  // index 1..12

    // Widths.
    int filtrLogWidth = 77;
    int stLogWidth = 641;
    int mainStrCmdWidth = 641;
    int stListNameWidth = 289;
    int listNameEdtWidth = 289;
    int cbListsWidth = 289;

    std::array<HSpan, 49> buttons{};  // index 1..48

    // Values the pass reads but never changes; kept here so the arithmetic
    // needs nothing else from the window.
    int mainWindowLeft = 4;
    int mainStrCmdLeft = 8;
    int addStrCmdWidth = 261;
    int stListNameLeft = 8;
};

// The layout as designed: what captureInitialLayout reads from freshly built
// controls.
InitialLayout designInitialLayout();

struct WindowLayout {
    int dw = 0;
    int columnStep = 0;

    // Vertical placement.
    int mainWindowTop = 0;     // MainWindow and SecondWindow
    int mainWindowHeight = 0;  // never negative
    int logPanelTop = 0;
    int mainPanelTop = 0;

    // Panel1, LogPanel, MainPanel, MainWindow and SecondWindow.
    int bandWidth = 0;

    int stLogWidth = 0;
    int filtrLogWidth = 0;
    int sendStartLeft = 0;
    int lPlusLeft = 0;
    int saveFLeft = 0;
    int fastOldCmdWidth = 0;
    int str1Left = 0;
    int str2Left = 0;
    int sriftLeft = 0;
    int startStopLeft = 0;
    int startLogLeft = 0;
    int btLogLeft = 0;
    int mainStrCmdWidth = 0;
    int addStrCmdLeft = 0;
    int btPalitraLeft = 0;
    int listIncLeft = 0;
    int listDecLeft = 0;
    int delListLeft = 0;
    int editAllCmdLeft = 0;
    int buttonReadFileLeft = 0;
    int buttonSendLeft = 0;
    HSpan oldCmdList;
    int stListNameWidth = 0;
    int listNameEdtWidth = 0;
    int rbNameLeft = 0;
    int rbDataLeft = 0;
    int btInfoLeft = 0;
    int cbListsWidth = 0;
    int lbTailLeft = 0;
    std::array<int, 13> sthLeft{};    // index 1..12
    std::array<HSpan, 49> buttons{};  // index 1..48; Edit k takes Button k's span
    HSpan staticText1;
    int staticText3Left = 0;
};

// One layout pass for a client area of clientWidth × clientHeight.
// mainStrCmdWidthBefore is MainStrCmd's width as it stands before the pass:
// FastOldCmd takes that width, and the housekeeping tick brings it up to date.
// fileViewOpen: a command file is loaded, STListName shows its name and is
// stretched up to ButtonReadFile.
WindowLayout layoutWidth(const InitialLayout& initial, int clientWidth, int clientHeight, bool fileViewOpen,
                         int mainStrCmdWidthBefore);

}  // namespace comtrax
