// The USB adapter's latency timer as the port-settings dialog shows it, read
// from a sysfs-like tree the test builds: what the kernel writes, and what a
// tree it does not control could hold instead.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "serial/usb_latency_timer.h"
#include "support/odd_files.h"
#include "support/temp_dir.h"

#include <unistd.h>

using namespace comtrax;
using namespace comtrax::testing;

namespace {

namespace fs = std::filesystem;

// devices/<name>/latency_timer holding content.
std::string makeTimer(const TempDir& dir, const std::string& name, const std::string& content)
{
    const std::string devices = dir.file("devices");
    fs::create_directories(devices + "/" + name);
    writeFileBytes(devices + "/" + name + "/latency_timer", content);
    return devices;
}

}  // namespace

TEST(UsbLatencyTimer, ReadsWhatTheKernelWritesAndRefusesAnythingElse)
{
    struct Case {
        const char* what;
        std::string content;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"the default", "16\n", 16},
        {"lowered", "1\n", 1},
        {"the largest", "255\n", 255},
        {"zero", "0\n", 0},
        {"no line end", "2", 2},
        {"empty", "", std::nullopt},
        {"garbage", "abc\n", std::nullopt},
        {"a number then garbage", "16ms\n", std::nullopt},
        {"negative", "-1\n", std::nullopt},
        {"too large", "256\n", std::nullopt},
        {"digits without end", std::string(15, '9'), std::nullopt},
        {"two numbers", "1 6\n", std::nullopt},
        {"a NUL inside",
         std::string("1\0"
                     "6\n",
                     4),
         std::nullopt},
        {"padded to the bound", "16" + std::string(14, ' '), std::nullopt},
        {"huge", "16\n" + std::string(1 << 20, '\n'), std::nullopt},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string devices = makeTimer(dir, "ttyUSB0", c.content);
        EXPECT_EQ(usbLatencyTimerMs("ttyUSB0", devices), c.expected) << c.what;
    }
}

TEST(UsbLatencyTimer, NothingForPortsWithoutOne)
{
    TempDir dir;
    const std::string devices = makeTimer(dir, "ttyUSB0", "16\n");
    fs::create_directories(devices + "/ttyUSB1");  // a port whose driver has no timer
    for (const char* port :
         {"ttyUSB1", "ttyUSB2", "ttyS0", "", "tcp://127.0.0.1:2000", "rfc2217://localhost:3000"})
        EXPECT_EQ(usbLatencyTimerMs(port, devices), std::nullopt) << port;
    EXPECT_EQ(usbLatencyTimerMs("ttyUSB0", dir.file("no-such-dir")), std::nullopt);
}

TEST(UsbLatencyTimer, ANameCannotLeadOutOfTheDevicesDirectory)
{
    TempDir dir;
    const std::string devices = makeTimer(dir, "ttyUSB0", "16\n");
    // A timer-like file above the devices directory, reachable only by "..".
    writeFileBytes(dir.file("latency_timer"), "7\n");
    for (const char* port : {"..", ".", "ttyUSB0/..", "..\\x", "tty USB0", ".hidden", "tty\nUSB0"})
        EXPECT_EQ(usbLatencyTimerMs(port, devices), std::nullopt) << port;
}

TEST(UsbLatencyTimer, APathIsFollowedToItsDeviceName)
{
    TempDir dir;
    const std::string devices = makeTimer(dir, "ttyUSB3", "4\n");
    fs::create_directories(dir.file("dev/serial/by-id"));
    writeFileBytes(dir.file("dev/ttyUSB3"), "");  // stands for the device node
    fs::create_symlink(dir.file("dev/ttyUSB3"), dir.file("dev/serial/by-id/usb-FTDI_FT232R-if00-port0"));
    EXPECT_EQ(usbLatencyTimerMs(dir.file("dev/ttyUSB3"), devices), 4);
    EXPECT_EQ(usbLatencyTimerMs(dir.file("dev/serial/by-id/usb-FTDI_FT232R-if00-port0"), devices), 4);
    EXPECT_EQ(usbLatencyTimerMs(dir.file("dev/ttyUSB9"), devices), std::nullopt);  // no such node
}

TEST(UsbLatencyTimer, OnlyAPlainFileIsRead)
{
    struct Case {
        const char* what;
        OddFile kind;
    };
    // A FIFO would keep the window waiting for a writer; a link could point
    // anywhere the user can read.
    for (const Case& c : {Case{"FIFO", OddFile::Fifo}, Case{"socket", OddFile::Socket},
                          Case{"link to a FIFO", OddFile::LinkToFifo}}) {
        TempDir dir;
        fs::create_directories(dir.file("devices/ttyUSB0"));
        if (makeOddFile(dir.file("devices/ttyUSB0/latency_timer"), c.kind).empty())
            GTEST_SKIP() << "the system would not make a " << c.what;
        EXPECT_EQ(usbLatencyTimerMs("ttyUSB0", dir.file("devices")), std::nullopt) << c.what;
    }
    TempDir dir;
    const std::string devices = makeTimer(dir, "ttyUSB1", "16\n");
    fs::create_directories(devices + "/ttyUSB0");
    fs::create_symlink(devices + "/ttyUSB1/latency_timer", devices + "/ttyUSB0/latency_timer");
    EXPECT_EQ(usbLatencyTimerMs("ttyUSB0", devices), std::nullopt) << "link to a plain file";
    fs::create_directories(devices + "/ttyUSB2/latency_timer");
    EXPECT_EQ(usbLatencyTimerMs("ttyUSB2", devices), std::nullopt) << "directory";
}
