#pragma once
// Every control of the main window, by the name it is known by. The window
// class owns the behaviour; this is only the arrangement it is built from.
// Each control's objectName equals its member name ("BTConnect", "Button17",
// "STH3"), so tests and people can find it.
#include <array>

#include "macros/cmd_lists.h"

#include "ui/logview/log_text_view.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace comtrax {

class ClickLabel;
class UpDown;

// One constant per fact; the command lists hold the facts.
inline constexpr int MacroCount = CmdLists::Macros;
inline constexpr int HelpLineTotal = CmdLists::HelpLinesPerMacro;
// What a macro's name and command line may hold (their fields' capacities).
inline constexpr int NameMaxLength = static_cast<int>(CmdLists::CmdNameCapacity) - 1;
inline constexpr int LineMaxLength = static_cast<int>(CmdLists::CmdLineCapacity) - 1;

struct Controls {
    QWidget* form = nullptr;

    // Top bar.
    QFrame* Panel1 = nullptr;
    QPushButton* BTConnect = nullptr;
    QPushButton* BTRescan = nullptr;
    QComboBox* ComPort = nullptr;      // editable
    QComboBox* BaudRate = nullptr;     // editable
    QComboBox* ComBits = nullptr;      // editable
    QComboBox* ComStopBits = nullptr;  // editable
    QCheckBox* AutoConnect = nullptr;
    UpDown* TimeOutRx = nullptr;
    QLabel* TimeOutAns = nullptr;
    QLineEdit* FiltrLog = nullptr;
    UpDown* Srift = nullptr;
    QPushButton* BTLog = nullptr;
    QPushButton* StartLog = nullptr;
    QPushButton* StartStop = nullptr;
    QPushButton* BTPalitra = nullptr;
    QPushButton* BtInfo = nullptr;

    // The log and its frozen copy, in the same place.
    LogTextView* MainWindow = nullptr;
    // The frozen copy is filled once per pause and stays editable, so it keeps the text edit.
    QPlainTextEdit* SecondWindow = nullptr;

    // Display and send options.
    QFrame* LogPanel = nullptr;
    QLabel* TextTime = nullptr;
    QFrame* OutMode = nullptr;
    QCheckBox* VisTime = nullptr;
    QRadioButton* RBASCII = nullptr;
    QRadioButton* RBHEX = nullptr;
    QFrame* InputMode = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* RBManual = nullptr;
    QRadioButton* RBAfterAns = nullptr;
    QRadioButton* RBSel = nullptr;
    QRadioButton* RBPeriod = nullptr;
    QLineEdit* PeriodTX = nullptr;
    QCheckBox* SendAsReconn = nullptr;
    QCheckBox* CiklSend = nullptr;
    QFrame* PStats = nullptr;
    QLabel* LSend = nullptr;
    QLabel* LRead = nullptr;
    QLabel* MinTimeWait = nullptr;
    QLabel* MaxTimeWait = nullptr;
    QPushButton* BTClrStat = nullptr;

    // Command line, lists, macros and help.
    QFrame* MainPanel = nullptr;
    QLineEdit* MainStrCmd = nullptr;
    ClickLabel* Str1 = nullptr;
    QLabel* LPlus = nullptr;
    QLineEdit* AddStrCmd = nullptr;
    ClickLabel* Str2 = nullptr;
    QListWidget* FastOldCmd = nullptr;
    QListWidget* LBTail = nullptr;
    QComboBox* CBLists = nullptr;  // editable; typed text inserts nothing
    ClickLabel* STListName = nullptr;
    QLineEdit* ListNameEDT = nullptr;
    QPushButton* EditAllCmd = nullptr;
    QPushButton* DelList = nullptr;
    QPushButton* SaveF = nullptr;
    QPushButton* ListDec = nullptr;
    QPushButton* ListInc = nullptr;
    QPushButton* ButtonReadFile = nullptr;
    QRadioButton* RBName = nullptr;
    QRadioButton* RbData = nullptr;
    QPushButton* SendStart = nullptr;
    QPushButton* ButtonSend = nullptr;
    std::array<QPushButton*, MacroCount + 1> Button{};  // Button[1..48]; [0] unused
    std::array<QLineEdit*, MacroCount + 1> Edit{};      // Edit[1..48]; [0] unused
    QListWidget* OldCmdList = nullptr;
    std::array<QLabel*, HelpLineTotal + 1> STH{};  // STH[1..12]; [0] unused
    QLabel* STLog = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* StaticText3 = nullptr;

    // Radio groups, one per choice, so the three choices never interfere.
    // Button ids: encoding 1 ASCII, 2 HEX; send mode as the settings store it
    // (1 RBManual, 2 RBSel, 3 RBAfterAns, 4 RBPeriod); display 1 RBName, 2 RbData.
    QButtonGroup* EncodingGroup = nullptr;
    QButtonGroup* SendModeGroup = nullptr;
    QButtonGroup* DisplayGroup = nullptr;
};

}  // namespace comtrax
