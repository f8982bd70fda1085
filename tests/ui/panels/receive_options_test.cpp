// The receive options kept on context menus so no control moves: TimeRX's
// "3.5 characters" on the read-out, the packet times on TIME +. Each reaches
// the core and says in its hint what it does.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>

#include "ui/kit/translation.h"
#include "ui/kit/up_down.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

QAction* action(QWidget* owner, const char* name)
{
    for (QAction* a : owner->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    ADD_FAILURE() << "no action " << name;
    return nullptr;
}

}  // namespace

TEST(ReceiveOptions, CharactersOnTheReadOutSwapItsHintAndTheArrowsGiveItBack)
{
    WindowRig r;
    r.open();
    QLabel* readout = r.ui().TimeOutAns;
    const QString msHint = readout->toolTip();
    ASSERT_FALSE(msHint.isEmpty());
    QAction* characters = action(readout, "TimeoutCharacters");
    ASSERT_NE(characters, nullptr);

    characters->trigger();
    EXPECT_TRUE(r.terminal().timeoutInCharacters());
    EXPECT_EQ(readout->text(), QStringLiteral("TimeRX: 3.5ch"));
    EXPECT_NE(readout->toolTip(), msHint);
    EXPECT_TRUE(readout->toolTip().contains(QStringLiteral("3,5"))) << readout->toolTip().toStdString();

    emit r.ui().TimeOutRx->upClicked();
    EXPECT_FALSE(r.terminal().timeoutInCharacters());
    EXPECT_FALSE(characters->isChecked());
    EXPECT_EQ(readout->toolTip(), msHint);
}

TEST(ReceiveOptions, EachPacketTimeOnTimePlusReachesTheCoreAndTheHintNamesThemAll)
{
    WindowRig r;
    r.open();
    QCheckBox* visTime = r.ui().VisTime;
    for (const char* field : {"@", "gap", "ans"})
        EXPECT_TRUE(visTime->toolTip().contains(QLatin1String(field))) << field;
    const struct {
        const char* name;
        bool PacketTimes::*field;
    } table[] = {
        {"TimeArrival", &PacketTimes::arrival},
        {"TimeSilenceBefore", &PacketTimes::silenceBefore},
        {"TimeSinceSent", &PacketTimes::sinceSent},
    };
    for (const auto& row : table) {
        QAction* a = action(visTime, row.name);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(r.terminal().options().packetTimes.*row.field) << row.name;
        a->trigger();
        EXPECT_TRUE(r.terminal().options().packetTimes.*row.field) << row.name;
        a->trigger();
        EXPECT_FALSE(r.terminal().options().packetTimes.*row.field) << row.name;
    }
}
