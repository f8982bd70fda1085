#include "ui/window/window_layout_apply.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

#include "ui/kit/click_label.h"
#include "ui/panels/controls.h"
#include "ui/kit/up_down.h"

namespace comtrax {

namespace {

void setLeft(QWidget* w, int left)
{
    w->move(left, w->y());
}

void setWidth(QWidget* w, int width)
{
    w->resize(std::max(0, width), w->height());
}

void setSpan(QWidget* w, HSpan s)
{
    w->setGeometry(s.left, w->y(), std::max(0, s.width), w->height());
}

}  // namespace

InitialLayout captureInitialLayout(const Controls& c)
{
    InitialLayout l;
    // dw is measured against the designed client area: the window may not
    // have its final size yet when this runs.
    l.clientWidth = DesignClientWidth;
    l.clientHeight = DesignClientHeight;

    l.mainWindowTop = c.MainWindow->y();
    l.mainWindowBottomGap = DesignClientHeight - (c.MainWindow->y() + c.MainWindow->height());
    l.logPanelHeight = c.LogPanel->height();
    l.mainPanelHeight = c.MainPanel->height();
    l.mainPanelBottomGap = DesignClientHeight - (c.MainPanel->y() + c.MainPanel->height());
    l.panel1Width = c.Panel1->width();

    l.sendStartLeft = c.SendStart->x();
    l.lPlusLeft = c.LPlus->x();
    l.saveFLeft = c.SaveF->x();
    l.str1Left = c.Str1->x();
    l.str2Left = c.Str2->x();
    l.sriftLeft = c.Srift->x();
    l.startStopLeft = c.StartStop->x();
    l.startLogLeft = c.StartLog->x();
    l.btLogLeft = c.BTLog->x();
    l.addStrCmdLeft = c.AddStrCmd->x();
    l.btPalitraLeft = c.BTPalitra->x();
    l.listIncLeft = c.ListInc->x();
    l.listDecLeft = c.ListDec->x();
    l.delListLeft = c.DelList->x();
    l.editAllCmdLeft = c.EditAllCmd->x();
    l.buttonReadFileLeft = c.ButtonReadFile->x();
    l.buttonSendLeft = c.ButtonSend->x();
    l.rbNameLeft = c.RBName->x();
    l.rbDataLeft = c.RbData->x();
    l.btInfoLeft = c.BtInfo->x();
    for (int k = 1; k <= HelpLineTotal; ++k)
        l.sthLeft[k] = c.STH[k]->x();

    l.filtrLogWidth = c.FiltrLog->width();
    l.stLogWidth = c.STLog->width();
    l.mainStrCmdWidth = c.MainStrCmd->width();
    l.stListNameWidth = c.STListName->width();
    l.listNameEdtWidth = c.ListNameEDT->width();
    l.cbListsWidth = c.CBLists->width();
    for (int k = 1; k <= MacroCount; ++k)
        l.buttons[k] = {c.Button[k]->x(), c.Button[k]->width()};

    l.mainWindowLeft = c.MainWindow->x();
    l.mainStrCmdLeft = c.MainStrCmd->x();
    l.addStrCmdWidth = c.AddStrCmd->width();
    l.stListNameLeft = c.STListName->x();
    return l;
}

void applyWindowLayout(Controls& c, const InitialLayout& initial, QSize client, bool fileViewOpen)
{
    const WindowLayout l =
        layoutWidth(initial, client.width(), client.height(), fileViewOpen, c.MainStrCmd->width());

    // Bands: the log stretches, the two lower panels follow the bottom edge.
    for (QWidget* log : {static_cast<QWidget*>(c.MainWindow), static_cast<QWidget*>(c.SecondWindow)})
        log->setGeometry(log->x(), l.mainWindowTop, std::max(0, l.bandWidth), l.mainWindowHeight);
    c.MainPanel->setGeometry(c.MainPanel->x(), l.mainPanelTop, std::max(0, l.bandWidth),
                             c.MainPanel->height());
    c.LogPanel->setGeometry(c.LogPanel->x(), l.logPanelTop, std::max(0, l.bandWidth), c.LogPanel->height());
    setWidth(c.Panel1, l.bandWidth);
    // PStats sits against LogPanel's right edge, inside its bevel.
    setLeft(c.PStats, c.LogPanel->width() - c.LogPanel->frameWidth() - c.PStats->width());

    setWidth(c.STLog, l.stLogWidth);
    setWidth(c.FiltrLog, l.filtrLogWidth);
    setLeft(c.SendStart, l.sendStartLeft);
    setLeft(c.LPlus, l.lPlusLeft);
    setLeft(c.SaveF, l.saveFLeft);
    setWidth(c.FastOldCmd, l.fastOldCmdWidth);
    setLeft(c.Str1, l.str1Left);
    setLeft(c.Str2, l.str2Left);
    setLeft(c.Srift, l.sriftLeft);
    setLeft(c.StartStop, l.startStopLeft);
    setLeft(c.StartLog, l.startLogLeft);
    setLeft(c.BTLog, l.btLogLeft);
    setWidth(c.MainStrCmd, l.mainStrCmdWidth);
    setLeft(c.AddStrCmd, l.addStrCmdLeft);
    setLeft(c.BTPalitra, l.btPalitraLeft);
    setLeft(c.ListInc, l.listIncLeft);
    setLeft(c.ListDec, l.listDecLeft);
    setLeft(c.DelList, l.delListLeft);
    setLeft(c.EditAllCmd, l.editAllCmdLeft);
    setLeft(c.ButtonReadFile, l.buttonReadFileLeft);
    setLeft(c.ButtonSend, l.buttonSendLeft);
    setSpan(c.OldCmdList, l.oldCmdList);
    setWidth(c.STListName, l.stListNameWidth);
    setWidth(c.ListNameEDT, l.listNameEdtWidth);
    setLeft(c.RBName, l.rbNameLeft);
    setLeft(c.RbData, l.rbDataLeft);
    setLeft(c.BtInfo, l.btInfoLeft);
    setWidth(c.CBLists, l.cbListsWidth);
    setLeft(c.LBTail, l.lbTailLeft);
    for (int k = 1; k <= HelpLineTotal; ++k)
        setLeft(c.STH[k], l.sthLeft[k]);
    for (int k = 1; k <= MacroCount; ++k) {
        setSpan(c.Button[k], l.buttons[k]);
        setSpan(c.Edit[k], l.buttons[k]);
    }
    setSpan(c.StaticText1, l.staticText1);
    setLeft(c.StaticText3, l.staticText3Left);
}

}  // namespace comtrax
