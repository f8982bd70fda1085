// The plot window: opened from the main window by its shortcut, fed by the
// received packets of a real pty, drawn on its own pace, paused with a
// cursor read-out, cleared, exported, and its settings kept.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <qcustomplot.h>

#include <cmath>
#include <filesystem>

#include "common/checksums.h"
#include "common/file_io.h"
#include "live_window.h"
#include "support/temp_dir.h"
#include "ui/plot/plot_canvas.h"
#include "ui/plot/plot_window.h"
#include "wait_until.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

void packet(PlotWindow& plot, const std::string& bytes, int64_t t = 0)
{
    plot.take(ReceivedPacket{bytes, t, t, true});
}

std::string modbusAnswer(uint16_t value)
{
    std::string frame{'\x01', '\x03', '\x02', static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
    const uint32_t c = crc(Crc16Modbus, frame);
    frame += static_cast<char>(c & 0xFF);
    frame += static_cast<char>(c >> 8);
    return frame;
}

}  // namespace

TEST(PlotWindowTool, OpensByItsShortcutBesideTheWindow)
{
    LiveWindow w(50);
    auto* plot = w.window->findChild<PlotWindow*>();
    ASSERT_NE(plot, nullptr);
    EXPECT_FALSE(plot->isVisible());
    w.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window.get()));
    w.window->activateWindow();
    QTest::keyClick(w.window.get(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_TRUE(plot->isWindow());
    EXPECT_FALSE(plot->isModal());
}

TEST(PlotWindowOnAPty, TheBuffersHoldExactlyTheValuesSent)
{
    LiveWindow w(50);
    auto* plot = w.window->findChild<PlotWindow*>();
    plot->showAndRaise();
    // A label:value stream of three channels, many lines to a read.
    std::string stream = "partial:9\n";
    const int lines = 300;
    for (int i = 0; i < lines; ++i)
        stream +=
            "a:" + std::to_string(i) + " b:" + std::to_string(-i) + ",c:" + std::to_string(i * 0.25) + "\r\n";
    for (std::size_t at = 0; at < stream.size(); at += 97)
        w.device.send(stream.substr(at, 97));
    ASSERT_TRUE(waitUntil([&] { return plot->store().rowCount() == lines; }));
    const PlotStore& s = plot->store();
    ASSERT_EQ(s.channelCount(), 3u);
    EXPECT_EQ(s.channelName(2), "c");
    for (int i = 0; i < lines; ++i) {
        ASSERT_EQ(s.value(0, i), i);
        ASSERT_EQ(s.value(1, i), -i);
        ASSERT_EQ(s.value(2, i), i * 0.25);
    }

    // Binary frames: a register of Modbus answers, bad ones left out.
    plot->findChild<QComboBox*>(QStringLiteral("PlotSource"))->setCurrentIndex(3);
    plot->findChild<QLineEdit*>(QStringLiteral("PlotFields"))->setText(QStringLiteral("reg 3 u16be"));
    plot->findChild<QComboBox*>(QStringLiteral("PlotChecksum"))->setCurrentIndex(1);
    ASSERT_TRUE(plot->applySource()) << plot->statusText().toStdString();
    EXPECT_EQ(plot->store().rowCount(), 0u);
    std::vector<double> sent;
    for (int i = 0; i < 12; ++i) {
        const uint16_t value = static_cast<uint16_t>(i * 5000 + 7);
        std::string frame = modbusAnswer(value);
        if (i % 4 == 3)
            frame[4] ^= 1;  // a damaged frame
        else
            sent.push_back(value);
        const uint64_t before = plot->feed().counts().samples + plot->feed().counts().rejectedFrames;
        w.device.send(frame);
        // The next frame only after this one ended in silence.
        ASSERT_TRUE(waitUntil(
            [&] { return plot->feed().counts().samples + plot->feed().counts().rejectedFrames > before; }));
    }
    ASSERT_EQ(plot->store().rowCount(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(plot->store().value(0, i), sent[i]);
    EXPECT_EQ(plot->feed().counts().rejectedFrames, 3u);
}

TEST(PlotWindowOnAPty, TheFirstLineAfterConnectingAgainIsDropped)
{
    LiveWindow w(50);
    auto* plot = w.window->findChild<PlotWindow*>();
    plot->showAndRaise();
    w.device.send("x\na:1\na:2");
    ASSERT_TRUE(waitUntil([&] { return plot->store().rowCount() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return w.window->terminal().heldBytes() == 0; }));
    QTest::qWait(100);  // "a:2" read and told before the port closes
    w.ui().BTConnect->click();
    ASSERT_FALSE(w.window->terminal().portOpen());
    w.ui().BTConnect->click();
    ASSERT_TRUE(w.window->terminal().portOpen());
    w.device.send("5\nb:9\n");
    ASSERT_TRUE(waitUntil([&] { return plot->store().channelCount() == 2; }));
    // Not "a:25": the piece before the reconnection and the one after it are dropped.
    ASSERT_EQ(plot->store().rowCount(), 2u);
    EXPECT_EQ(plot->store().value(0, 0), 1);
    EXPECT_TRUE(std::isnan(plot->store().value(0, 1)));
    EXPECT_EQ(plot->store().value(1, 1), 9);
}

TEST(PlotWindowView, DrawsAtItsPaceShowsChannelsAndPausesWithAReadOut)
{
    TempDir dir;
    PlotWindow plot(dir.file("CfgPlot"), nullptr);
    plot.showAndRaise();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
    packet(plot, "x\n");
    for (int i = 0; i < 5000; ++i)
        packet(plot, "u:" + std::to_string(std::sin(i / 100.0)) + " v:" + std::to_string(i % 50) + "\n");
    // Nothing is drawn until the frame: taking packets costs no drawing.
    QCustomPlot* area = plot.canvas().plot();
    EXPECT_EQ(area->graphCount(), 0);
    plot.drawNow();
    ASSERT_EQ(area->graphCount(), 2);
    // At most two points a pixel column (of the layout before the axes were rescaled).
    EXPECT_LT(area->graph(0)->dataCount(), 2 * (area->axisRect()->width() + 40));
    EXPECT_GT(area->graph(0)->dataCount(), 10);
    auto* list = plot.findChild<QListWidget*>(QStringLiteral("PlotChannels"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("v"));
    list->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(area->graph(1)->visible());

    plot.setPaused(true);
    const QCPRange frozen = area->xAxis->range();
    packet(plot, "u:5 v:5\n");
    plot.drawNow();
    EXPECT_EQ(area->xAxis->range(), frozen);
    EXPECT_EQ(plot.store().rowCount(), 5001u);  // paused drawing, not receiving
    // Zoomed while paused: the new range is drawn from the store.
    area->xAxis->setRange(100, 110);
    EXPECT_LE(area->graph(0)->dataCount(), 13);
    EXPECT_EQ(plot.canvas().readOut(104),
              QStringLiteral("№ 104   u: %1").arg(std::sin(104 / 100.0), 0, 'g', 6));
    const QPoint at(area->xAxis->coordToPixel(104), area->axisRect()->center().y());
    QMouseEvent move(QEvent::MouseMove, at, area->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    EXPECT_TRUE(plot.canvas().readOutText().startsWith(QStringLiteral("№ 104")));

    plot.setPaused(false);
    EXPECT_NE(area->xAxis->range(), frozen);
    plot.clear();
    EXPECT_EQ(plot.store().rowCount(), 0u);
    EXPECT_EQ(area->graphCount(), 0);
    EXPECT_EQ(list->count(), 0);
}

TEST(PlotWindowView, ExportsValuesAsCsvAndThePictureAsPng)
{
    TempDir dir;
    PlotWindow plot(dir.file("CfgPlot"), nullptr);
    plot.showAndRaise();
    packet(plot, "\n1,2\n3,4\n");
    plot.drawNow();
    ASSERT_TRUE(plot.exportCsv(QString::fromStdString(dir.file("values.csv"))));
    const std::string csv = readFileBytes(dir.file("values.csv"));
    EXPECT_NE(csv.find("sample,time_s,value 1,value 2\n0,"), std::string::npos);
    EXPECT_NE(csv.find(",3,4\n"), std::string::npos);
    ASSERT_TRUE(plot.exportPng(QString::fromStdString(dir.file("plot.png"))));
    EXPECT_EQ(readFileBytes(dir.file("plot.png")).substr(1, 3), "PNG");
}

TEST(PlotWindowSettings, KeptInCfgPlotAndNeverWrittenOverUnread)
{
    TempDir dir;
    const std::string path = dir.file("CfgPlot");
    {
        PlotWindow plot(path, nullptr);
        plot.showAndRaise();
        plot.findChild<QComboBox*>(QStringLiteral("PlotSource"))->setCurrentIndex(2);
        plot.findChild<QLineEdit*>(QStringLiteral("PlotPattern"))->setText(QStringLiteral("t=(\\d+)"));
        ASSERT_TRUE(plot.applySource());
        plot.setGeometry(40, 50, 1100, 700);
    }
    {
        PlotWindow plot(path, nullptr);
        EXPECT_EQ(plot.feed().settings().source, PlotSource::Regex);
        EXPECT_EQ(plot.feed().settings().pattern, "t=(\\d+)");
        EXPECT_EQ(plot.size(), QSize(1100, 700));
    }
    // A CfgPlot that cannot be read whole is left as it is.
    const std::string odd(MaxPlotSettingsBytes + 10, '#');
    ASSERT_TRUE(replaceFileAtomically(path, odd));
    {
        PlotWindow plot(path, nullptr);
        plot.showAndRaise();
        EXPECT_TRUE(plot.statusText().contains(QStringLiteral(":")));
    }
    EXPECT_EQ(readFileBytes(path), odd);
    // A plot never opened leaves no file behind.
    TempDir other;
    {
        PlotWindow unopened(other.file("CfgPlot"), nullptr);
    }
    EXPECT_FALSE(std::filesystem::exists(other.file("CfgPlot")));
}
