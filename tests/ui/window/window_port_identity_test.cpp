// ComPort shows what the system tells of each device, keeps opening and
// storing the bare name, takes a typed path, and follows a device that comes
// back under another name.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <algorithm>
#include <filesystem>

#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

const PortInfo Cp2102{"ttyUSB0", "CP2102", "0001", "10c4", "ea60", "1-1.2:1.0"};
const PortInfo Builtin{"ttyS0", "", "", "", "", ""};

// Only the names the lister shows can be opened, as with real adapters.
void onlyListedPortsOpen(WindowRig& r)
{
    r.port.present = [&r](const std::string& name) {
        return std::any_of(r.lister.infos.begin(), r.lister.infos.end(),
                           [&](const PortInfo& i) { return i.name == name; });
    };
}

// $HOME set for one test, and back as it was afterwards.
class HomeFor {
public:
    explicit HomeFor(const std::string& path) : had_(qEnvironmentVariableIsSet("HOME")), old_(qgetenv("HOME"))
    {
        qputenv("HOME", QByteArray::fromStdString(path));
    }
    ~HomeFor()
    {
        if (had_)
            qputenv("HOME", old_);
        else
            qunsetenv("HOME");
    }
    HomeFor(const HomeFor&) = delete;
    HomeFor& operator=(const HomeFor&) = delete;

private:
    bool had_;
    QByteArray old_;
};

}  // namespace

TEST(WindowPortIdentity, TheListShowsLabelsWhileTheBareNameIsOpenedAndStored)
{
    WindowRig r;
    r.lister.infos = {Cp2102, Builtin};
    r.open();
    QComboBox* box = r.ui().ComPort;
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), QString::fromUtf8("ttyUSB0 — CP2102 (0001)"));
    EXPECT_EQ(box->itemText(1), "ttyS0");
    EXPECT_EQ(box->currentText(), QString::fromUtf8("ttyUSB0 — CP2102 (0001)"));

    box->setCurrentIndex(1);
    r.ui().BTConnect->click();
    r.ui().BTConnect->click();
    box->setCurrentIndex(0);
    r.ui().BTConnect->click();
    ASSERT_EQ(r.port.opens.size(), 2u);
    EXPECT_EQ(r.port.opens[0].name, "ttyS0");
    EXPECT_EQ(r.port.opens[1].name, "ttyUSB0");
    EXPECT_TRUE(r.dialogs.messages.isEmpty());

    // CfgTerminal keeps the name's hash, so the entry comes back by its name.
    r.lister.infos = {Builtin, Cp2102};
    r.restart();
    EXPECT_EQ(r.ui().ComPort->currentIndex(), 1);
    EXPECT_EQ(r.ui().ComPort->currentText(), QString::fromUtf8("ttyUSB0 — CP2102 (0001)"));

    // The bare name typed over a label still names that entry.
    r.ui().ComPort->setEditText("ttyUSB0");
    r.ui().BTConnect->click();
    EXPECT_EQ(r.port.opens.back().name, "ttyUSB0");
}

TEST(WindowPortIdentity, ATypedPathToADeviceIsOpenedAndJoinsTheList)
{
    WindowRig r;
    r.open();
    QComboBox* box = r.ui().ComPort;
    box->setCurrentIndex(-1);
    box->setEditText("/tmp");
    r.ui().BTConnect->click();
    EXPECT_TRUE(r.port.opens.empty());
    ASSERT_EQ(r.dialogs.messages.size(), 1);
    EXPECT_TRUE(r.dialogs.messages[0].contains("/tmp")) << r.dialogs.messages[0].toStdString();
    EXPECT_EQ(r.ui().BTConnect->text(), "Connect");

    box->setEditText("/dev/null");
    r.ui().BTConnect->click();
    ASSERT_EQ(r.port.opens.size(), 1u);
    EXPECT_EQ(r.port.opens[0].name, "/dev/null");
    EXPECT_EQ(r.ui().BTConnect->text(), "Disconnect");
    EXPECT_EQ(box->currentText(), "/dev/null");
    EXPECT_GE(box->findText("/dev/null"), 0);
    EXPECT_EQ(r.dialogs.messages.size(), 1);
}

// A typed path is a file name: Cyrillic in it is the system's UTF-8, not
// the data's code page, and a leading "~/" is the user's home, as in a shell.
TEST(WindowPortIdentity, ATypedPathIsSpeltAsTheSystemSpellsItWithTheHomeExpanded)
{
    TempDir home;
    std::filesystem::create_directory(home.file("порт"));
    const std::string link = home.file("порт/ttyV0");
    std::filesystem::create_symlink("/dev/null", link);  // a character device; nothing opens it
    const HomeFor homeForTheTest(home.path());

    WindowRig r;
    r.open();
    QComboBox* box = r.ui().ComPort;
    for (const QString& typed : {QString::fromUtf8(link.c_str()), QString::fromUtf8("~/порт/ttyV0")}) {
        box->setCurrentIndex(-1);
        box->setEditText(typed);
        r.ui().BTConnect->click();
        ASSERT_FALSE(r.port.opens.empty())
            << typed.toStdString() << " "
            << (r.dialogs.messages.isEmpty() ? std::string() : r.dialogs.messages.back().toStdString());
        EXPECT_EQ(r.port.opens.back().name, link);
        EXPECT_EQ(box->currentText(), QString::fromUtf8(link.c_str()));
        EXPECT_EQ(r.ui().BTConnect->text(), "Disconnect");
        r.ui().BTConnect->click();
    }
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
}

TEST(WindowPortIdentity, AutoConnectFollowsTheDeviceToItsNewNameInTheBox)
{
    WindowRig r;
    r.lister.infos = {Cp2102};
    onlyListedPortsOpen(r);
    r.open();
    r.ui().AutoConnect->setChecked(true);
    r.ui().BTConnect->click();
    ASSERT_TRUE(r.port.opened);

    r.lister.infos.clear();
    r.port.deviceGone = true;
    r.timers().runConnectionCheck();
    r.port.deviceGone = false;
    EXPECT_FALSE(r.port.opened);

    PortInfo back = Cp2102;
    back.name = "ttyUSB1";
    r.lister.infos = {{"ttyUSB0", "FT232R", "A9XYZ", "0403", "6001", "1-1.4:1.0"}, back};
    r.timers().runConnectionCheck();
    ASSERT_TRUE(r.port.opened);
    EXPECT_EQ(r.port.opens.back().name, "ttyUSB1");
    EXPECT_EQ(r.ui().ComPort->currentText(), QString::fromUtf8("ttyUSB1 — CP2102 (0001)"));
    EXPECT_EQ(r.ui().ComPort->count(), 2);  // the list as it is now
    EXPECT_EQ(r.ui().BTConnect->text(), "Disconnect");
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
}
