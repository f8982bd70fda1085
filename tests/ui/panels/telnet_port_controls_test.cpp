// The "do not wait for acknowledgements" choice of an rfc2217:// port: shown
// only for such a port, and kept in its name as "?nowait".
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "ui/dialogs/port_settings_dialog.h"
#include "ui/panels/controls.h"
#include "ui/panels/line_state_strip.h"
#include "ui/panels/port_controls.h"
#include "ui/panels/telnet_port_name.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

TEST(TelnetPortName, NoWaitIsAddedAndTakenAwayOnce)
{
    struct Case {
        const char* name;
        bool rfc2217;
        bool noWait;
        const char* waiting;
        const char* notWaiting;
    };
    const Case cases[] = {
        {"rfc2217://pi:3001", true, false, "rfc2217://pi:3001", "rfc2217://pi:3001?nowait"},
        {"RFC2217://[::1]:7000?NoWait", true, true, "RFC2217://[::1]:7000", "RFC2217://[::1]:7000?nowait"},
        {" rfc2217://pi:1?nowait?nowait ", true, true, "rfc2217://pi:1", "rfc2217://pi:1?nowait"},
        {"tcp://pi:3001", false, false, "tcp://pi:3001", "tcp://pi:3001?nowait"},
        {"/dev/ttyUSB0", false, false, "/dev/ttyUSB0", "/dev/ttyUSB0?nowait"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(isRfc2217PortName(name), c.rfc2217);
        EXPECT_EQ(hasNoWait(name), c.noWait);
        EXPECT_EQ(withNoWait(name, false), QString::fromUtf8(c.waiting));
        EXPECT_EQ(withNoWait(name, true), QString::fromUtf8(c.notWaiting));
    }
}

TEST(PortControls, NoWaitIsOfferedForAnRfc2217PortAndWrittenIntoItsName)
{
    WindowRig r;
    r.open();
    QComboBox* port = r.ui().ComPort;
    port->setEditText(QStringLiteral("rfc2217://127.0.0.1:7000"));
    PortControls& pc = r.panel<PortControls>();
    pc.openDialog();
    PortSettingsDialog* d = pc.dialog();
    ASSERT_NE(d, nullptr);
    auto* noWait = d->findChild<QCheckBox*>(QStringLiteral("NoWait"));
    ASSERT_NE(noWait, nullptr);
    EXPECT_FALSE(noWait->isHidden());
    EXPECT_FALSE(noWait->isChecked());

    noWait->setChecked(true);
    EXPECT_EQ(port->currentText(), QStringLiteral("rfc2217://127.0.0.1:7000?nowait"));
    // The name the port is opened with carries the choice.
    r.ui().BTConnect->click();
    ASSERT_FALSE(r.port.opens.empty());
    EXPECT_EQ(r.port.opens.back().name, "rfc2217://127.0.0.1:7000?nowait");
    EXPECT_FALSE(noWait->isEnabled());  // as the line's other settings, fixed while connected
    r.ui().BTConnect->click();
    EXPECT_TRUE(noWait->isEnabled());
    noWait->setChecked(false);
    EXPECT_EQ(port->currentText(), QStringLiteral("rfc2217://127.0.0.1:7000"));

    // A name typed with it shows it; other ports have no such choice.
    port->setEditText(QStringLiteral("rfc2217://pi:3001?nowait"));
    EXPECT_TRUE(noWait->isChecked());
    for (const char* other : {"tcp://pi:3001", "/dev/ttyUSB0"}) {
        port->setEditText(QString::fromLatin1(other));
        EXPECT_TRUE(noWait->isHidden()) << other;
        EXPECT_FALSE(d->noWait());
        EXPECT_EQ(port->currentText(), QString::fromLatin1(other));
    }
}

// The baud a device server reports is shown beside the lamps only when it is
// not the one asked, and said in full to a screen reader.
TEST(LineStateStrip, ShowsTheServersBaudWhenItDiffersFromTheAskedOne)
{
    struct Case {
        uint32_t asked, reported;
        const char* shown;  // empty: hidden
    };
    const Case cases[] = {{9600, 0, ""},
                          {9600, 9600, ""},
                          {9600, 19200, "9600 (сервер: 19200)"},
                          {115200, 57600, "115200 (сервер: 57600)"}};
    QWidget parent;
    LineStateStrip strip(&parent);
    auto* label = strip.findChild<QLabel*>(QStringLiteral("ReportedBaud"));
    ASSERT_NE(label, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reported);
        ModemLines lines;
        lines.later = true;
        lines.askedBaud = c.asked;
        lines.reportedBaud = c.reported;
        strip.showLines(true, true, false, lines);
        EXPECT_EQ(strip.baudText(), QString::fromUtf8(c.shown));
        EXPECT_EQ(label->isHidden(), *c.shown == 0);
        if (*c.shown != 0) {
            EXPECT_TRUE(label->accessibleName().contains(QString::number(c.asked)));
            EXPECT_TRUE(label->accessibleName().contains(QString::number(c.reported)));
            EXPECT_EQ(label->toolTip(), label->accessibleName());
        }
    }
    strip.showLines(true, true, false, ModemLines{});  // closed: gone
    EXPECT_TRUE(label->isHidden());
}

// A device server tells its lines only after the line is agreed: the strip
// keeps reading them, as it stops for a port that never can (a pty).
TEST(PortControls, LinesToldLaterAreStillRead)
{
    struct Case {
        bool later;
        bool polling;
    };
    for (const Case c : {Case{true, true}, Case{false, false}}) {
        SCOPED_TRACE(c.later);
        WindowRig r;
        r.startTimers = true;
        r.open();
        r.port.lines = ModemLines{};
        r.port.lines.later = c.later;
        r.ui().BTConnect->click();
        ASSERT_TRUE(r.window->terminal().portOpen());
        EXPECT_EQ(r.panel<PortControls>().polling(), c.polling);
        r.ui().BTConnect->click();
    }
}
