// DTR, RTS, the reset pulse and break in the window: the line-state strip, the
// port-settings dialog and their settings in CfgLine.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <algorithm>

#include "presentation/help_texts.h"
#include "ui/panels/controls.h"
#include "ui/panels/line_options_menu.h"
#include "ui/panels/line_state_strip.h"
#include "ui/panels/port_controls.h"
#include "serial/usb_latency_timer.h"
#include "ui/dialogs/port_settings_dialog.h"
#include "ui/panels/top_bar.h"
#include "ui/kit/translation.h"
#include "wait_until.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

using Names = std::vector<std::string>;

PortSettingsDialog& openDialog(WindowRig& r)
{
    r.panel<PortControls>().openDialog();
    PortSettingsDialog* d = r.panel<PortControls>().dialog();
    EXPECT_NE(d, nullptr);
    return *d;
}

template <class T> T* child(QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

bool called(const FakeSerialPort& port, const std::string& what)
{
    const Names names = port.modemCallNames();
    return std::find(names.begin(), names.end(), what) != names.end();
}

}  // namespace

TEST(PortControls, TheStripShowsTheLinesOnlyWhileThePortIsOpenAndItsTogglesDriveThem)
{
    WindowRig r;
    r.open();
    r.window->show();
    PortControls& pc = r.panel<PortControls>();
    LineStateStrip* strip = pc.strip();
    EXPECT_FALSE(strip->isVisible());

    r.port.lines.cts = true;
    r.ui().BTConnect->click();
    ASSERT_TRUE(r.window->terminal().portOpen());
    EXPECT_TRUE(strip->isVisible());
    // Asserted on connect, as the defaults say.
    EXPECT_EQ(r.port.modemCallNames(), (Names{"dtr=1", "rts=1"}));
    EXPECT_TRUE(strip->lampText(0).startsWith("CTS ") && strip->lampText(0).endsWith(QChar(0x25CF)));
    EXPECT_TRUE(strip->lampText(1).endsWith(QChar(0x25CB)));  // DSR off

    r.port.lines.cts = false;
    r.port.lines.ri = true;
    pc.pollLines();
    EXPECT_TRUE(strip->lampText(0).endsWith(QChar(0x25CB)));
    EXPECT_TRUE(strip->lampText(3).endsWith(QChar(0x25CF)));

    QTest::mouseClick(strip->dtrToggle(), Qt::LeftButton);
    EXPECT_EQ(r.port.modemCallNames().back(), "dtr=0");
    EXPECT_FALSE(strip->dtrToggle()->isChecked());
    QTest::mouseClick(strip->rtsToggle(), Qt::LeftButton);
    EXPECT_EQ(r.port.modemCallNames().back(), "rts=0");
    QTest::mouseClick(strip->dtrToggle(), Qt::LeftButton);
    EXPECT_EQ(r.port.modemCallNames().back(), "dtr=1");

    // A device without modem lines: unknown, and no word about it.
    r.port.hasModemLines = false;
    pc.pollLines();
    EXPECT_TRUE(strip->lampText(2).endsWith(QChar(0x2014)));
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
    EXPECT_TRUE(r.dialogs.errors.isEmpty());

    // Lost (AutoConnect off): the port is closed and the strip goes.
    r.port.deviceGone = true;
    r.timers().runConnectionCheck();
    EXPECT_FALSE(r.window->terminal().portOpen());
    EXPECT_FALSE(strip->isVisible());
    r.ui().BTConnect->click();  // Disconnect
    EXPECT_FALSE(strip->isVisible());
    EXPECT_FALSE(pc.polling());
}

TEST(PortControls, TheDialogOpensFromTheMenuTheButtonAndTheShortcutAndFollowsTheMenu)
{
    WindowRig r;
    r.open();
    r.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r.window.get(), GenerousMs));
    LineOptionsMenu& menu = r.panel<TopBar>().lineOptions();

    menu.settingsAction()->trigger();
    PortSettingsDialog* d = r.panel<PortControls>().dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    d->close();
    QTest::mouseClick(r.panel<PortControls>().settingsButton(), Qt::LeftButton);
    EXPECT_TRUE(d->isVisible());
    d->close();
    r.window->activateWindow();
    QTest::keyClick(r.window.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(d->isVisible());

    // Parity and flow control are the menu's, in step both ways.
    menu.parityAction(Parity::Even)->trigger();
    EXPECT_EQ(d->lineOptions().parity, Parity::Even);
    child<QComboBox>(d, "Flow")->setCurrentIndex(static_cast<int>(FlowControl::XonXoff));
    EXPECT_TRUE(menu.flowAction(FlowControl::XonXoff)->isChecked());
    EXPECT_EQ(r.panel<TopBar>().portParameters().line, (LineOptions{Parity::Even, FlowControl::XonXoff}));

    // They are fixed while connected; the pulse and break work only then.
    auto* pulse = child<QPushButton>(d, "ResetPulse");
    EXPECT_FALSE(pulse->isEnabled());
    r.ui().BTConnect->click();
    EXPECT_FALSE(child<QComboBox>(d, "Parity")->isEnabled());
    EXPECT_TRUE(pulse->isEnabled());
    EXPECT_TRUE(child<QPushButton>(d, "SendBreak")->isEnabled());
}

// The pulse ends from the event loop, its length later, while the window
// keeps working; so does a break.
TEST(PortControls, ThePulseAndBreakButtonsHoldTheLineForTheirLength)
{
    WindowRig r;
    r.open();
    r.ui().BTConnect->click();
    PortSettingsDialog& d = openDialog(r);
    child<QSpinBox>(&d, "ResetPulseMs")->setValue(60);
    r.port.modemCalls.clear();

    QElapsedTimer t;
    t.start();
    QTest::mouseClick(child<QPushButton>(&d, "ResetPulse"), Qt::LeftButton);
    EXPECT_EQ(r.port.modemCallNames(), (Names{"dtr=0"}));
    EXPECT_TRUE(waitUntil([&] { return called(r.port, "dtr=1"); }));
    EXPECT_GE(t.elapsed(), 55);

    t.restart();
    QTest::mouseClick(child<QPushButton>(&d, "SendBreak"), Qt::LeftButton);
    EXPECT_TRUE(r.port.inBreak);
    EXPECT_TRUE(waitUntil([&] { return !r.port.inBreak; }));
    EXPECT_GE(t.elapsed(), 240);
    EXPECT_EQ(r.port.modemCallNames(), (Names{"dtr=0", "dtr=1", "break=1", "break=0"}));
}

// The USB latency timer is a read-only line, there only for a port that has
// one. The fake port is named ttyUSB0: whether this machine has such an
// adapter decides what the dialog shows at first.
TEST(PortControls, TheUsbLatencyTimerIsShownOnlyForAPortThatHasOne)
{
    WindowRig r;
    r.open();
    r.ui().BTConnect->click();
    PortSettingsDialog& d = openDialog(r);
    auto* timer = child<QLabel>(&d, "UsbLatencyTimer");
    const std::optional<int> onThisMachine = usbLatencyTimerMs(r.terminal().portName());
    EXPECT_EQ(timer->isHidden(), !onThisMachine);
    d.setUsbLatencyTimer(std::nullopt);
    EXPECT_TRUE(timer->isHidden());
    d.setUsbLatencyTimer(16);
    EXPECT_FALSE(timer->isHidden());
    EXPECT_EQ(timer->text(), uiText("Таймер задержки USB: %1 мс").arg(16));
    EXPECT_FALSE(timer->toolTip().isEmpty());
    r.ui().BTConnect->click();  // Disconnect: the port's timer is read again
    EXPECT_EQ(timer->isHidden(), !onThisMachine);
}

TEST(PortControls, TheDialogsValuesReachCfgLineAndComeBackAfterARestart)
{
    WindowRig r;
    r.open();
    PortSettingsDialog& d = openDialog(r);
    child<QCheckBox>(&d, "DtrOnConnect")->click();
    child<QSpinBox>(&d, "ResetPulseMs")->setValue(40);
    child<QCheckBox>(&d, "ResetPulseRts")->click();
    child<QSpinBox>(&d, "BreakMs")->setValue(500);
    ASSERT_TRUE(r.close());
    EXPECT_EQ(readFileBytes(r.dir.file("CfgTerminal")).size(), 788u);
    const std::string cfg = readFileBytes(r.dir.file("CfgLine"));
    EXPECT_NE(cfg.find("dtrOnConnect=0\nrtsOnConnect=1\nresetPulseMs=40\nresetPulseDtr=1\n"
                       "resetPulseRts=1\nbreakMs=500\n"),
              std::string::npos)
        << cfg;

    r.window.reset();
    r.open();
    const ModemSettings expected{false, true, 40, true, true, 500};
    EXPECT_EQ(r.window->terminal().modemSettings(), expected);
    EXPECT_EQ(openDialog(r).modemSettings(), expected);
    r.ui().ComPort->setCurrentIndex(0);
    r.ui().BTConnect->click();
    EXPECT_EQ(r.port.modemCallNames(), (Names{"dtr=0", "rts=1"}));
    ASSERT_TRUE(r.close());
    EXPECT_EQ(readFileBytes(r.dir.file("CfgTerminal")).size(), 788u);
}

// Enter is how a user confirms a value typed into a box: it takes the value
// and does nothing else. No button of the dialog is its default, so Enter
// never pulses or breaks the line, nor closes the dialog.
TEST(PortControls, EnterInTheDialogConfirmsTheValueAndNeverActsOnTheLine)
{
    WindowRig r;
    r.open();
    r.window->show();
    r.ui().BTConnect->click();
    PortSettingsDialog& d = openDialog(r);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QSignalSpy pulses(&d, &PortSettingsDialog::resetPulseRequested);
    QSignalSpy breaks(&d, &PortSettingsDialog::breakRequested);
    r.port.modemCalls.clear();
    const ModemSettings before = r.window->terminal().modemSettings();

    auto* pulseMs = child<QSpinBox>(&d, "ResetPulseMs");
    pulseMs->setFocus();
    pulseMs->selectAll();
    QTest::keyClicks(pulseMs, "250");
    EXPECT_EQ(r.window->terminal().modemSettings(), before);  // typed, not yet confirmed
    QTest::keyClick(pulseMs, Qt::Key_Return);
    EXPECT_EQ(r.window->terminal().modemSettings().resetPulseMs, 250);
    auto* breakMs = child<QSpinBox>(&d, "BreakMs");
    breakMs->selectAll();
    QTest::keyClicks(breakMs, "400");
    QTest::keyClick(breakMs, Qt::Key_Enter);
    EXPECT_EQ(r.window->terminal().modemSettings().breakMs, 400);

    // Enter and Return on every input of the dialog.
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (qobject_cast<QSpinBox*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QComboBox*>(w)) {
            QTest::keyClick(w, Qt::Key_Return);
            QTest::keyClick(w, Qt::Key_Enter);
        }
    }
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_EQ(pulses.count(), 0);
    EXPECT_EQ(breaks.count(), 0);
    EXPECT_EQ(r.port.modemCallNames(), Names{});
    EXPECT_TRUE(d.isVisible());
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    }
    // The buttons themselves still work.
    QTest::mouseClick(child<QPushButton>(&d, "ResetPulse"), Qt::LeftButton);
    EXPECT_EQ(pulses.count(), 1);
}

// A screen reader names every input for what it is, not for its group.
TEST(PortControls, EveryInputOfTheDialogHasItsOwnAccessibleName)
{
    WindowRig r;
    r.open();
    PortSettingsDialog& d = openDialog(r);
    const struct {
        const char* object;
        const char* name;
    } inputs[] = {
        {"Parity", "Чётность:"},
        {"Flow", "Управление потоком:"},
        {"DtrOnConnect", "DTR включён при соединении"},
        {"RtsOnConnect", "RTS включён при соединении"},
        {"ResetPulseMs", "Длительность импульса сброса"},
        {"ResetPulseDtr", "Импульс сброса: DTR"},
        {"ResetPulseRts", "Импульс сброса: RTS"},
        {"BreakMs", "Длительность Break:"},
        {"ResetPulse", "Сброс импульсом"},
        {"SendBreak", "Break"},
        {"CloseButton", "Закрыть"},
    };
    for (const auto& input : inputs) {
        QWidget* w = child<QWidget>(&d, input.object);
        ASSERT_NE(w, nullptr);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr) << input.object;
        if (qobject_cast<QComboBox*>(w)) {
            // A list box's name is its choice; its label (and its group's
            // title) name it through relations.
            QStringList labels;
            for (const auto& [label, relation] : a->relations(QAccessible::Label))
                labels << label->text(QAccessible::Name);
            EXPECT_TRUE(labels.contains(QString::fromUtf8(input.name)))
                << input.object << ": " << labels.join(" | ").toStdString();
        } else {
            EXPECT_EQ(a->text(QAccessible::Name).toStdString(), input.name) << input.object;
        }
    }
}

// The strip and the settings button explain themselves in the help area when
// the pointer rests on them, as every control with a text of its own does.
TEST(PortControls, TheStripAndTheSettingsButtonShowTheirHelp)
{
    WindowRig r;
    r.open();
    r.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r.window.get()));
    r.ui().BTConnect->click();
    PortControls& pc = r.panel<PortControls>();
    ASSERT_TRUE(pc.strip()->isVisible());
    Controls& c = r.ui();
    const auto hoverShows = [&](QWidget* w, const HelpText& text) {
        for (int k = 1; k <= HelpLineTotal; ++k)
            c.STH[k]->setText(QStringLiteral("old"));
        QTest::mouseMove(r.window->windowHandle(), w->mapTo(r.window.get(), w->rect().center()));
        const auto lines = helpLines(text);
        for (int k = 1; k <= HelpLineTotal; ++k)
            if (c.STH[k]->text() != lines[std::size_t(k - 1)])
                return false;
        return true;
    };
    EXPECT_TRUE(hoverShows(pc.strip()->dtrToggle(), lineStateHelp()));
    EXPECT_TRUE(hoverShows(child<QLabel>(pc.strip(), "RiLamp"), lineStateHelp()));
    EXPECT_TRUE(hoverShows(pc.settingsButton(), portSettingsHelp()));
    EXPECT_EQ(c.STH[1]->text(), QStringLiteral("Параметры порта"));
}
