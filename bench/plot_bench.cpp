// The plot's costs: one frame with a million points in view (our min/max
// decimation feeding QCustomPlot, against QCustomPlot given every point),
// the parsing of 64 channels at 1,000 samples a second, and the memory of
// 64 channels of 1,000,000 points. One JSON line per measure.
// Run on a real display (Xvfb) or offscreen: bench_plot [--quick]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <qcustomplot.h>
#ifdef BENCH_QT_CHARTS
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#endif

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "plot/plot_feed.h"
#include "plot/plot_store.h"
#include "ui/plot/plot_canvas.h"
#include "ui/plot/plot_window.h"

using namespace comtrax;

namespace {

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long rssKb()
{
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            in >> kb;
            return kb;
        }
    }
    return 0;
}

// Median frame of the canvas over the whole store, followed (running) or paused and zoomed out.
double canvasFrameMs(PlotStore& store, int frames)
{
    PlotCanvas canvas(store);
    canvas.resize(1280, 720);
    canvas.show();
    QApplication::processEvents();
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const double start = nowMs();
        canvas.redraw();
        times.push_back(nowMs() - start);
    }
    return median(times);
}

double libraryAloneFrameMs(const PlotStore& store, int frames)
{
    QCustomPlot plot;
    plot.resize(1280, 720);
    plot.show();
    QApplication::processEvents();
    QVector<double> keys(static_cast<int>(store.rowCount()));
    QVector<double> values(static_cast<int>(store.rowCount()));
    for (std::size_t r = 0; r < store.rowCount(); ++r) {
        keys[static_cast<int>(r)] = store.x(r, PlotStore::XAxis::Sample);
        values[static_cast<int>(r)] = store.value(0, r);
    }
    plot.addGraph();
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const double start = nowMs();
        plot.graph(0)->setData(keys, values, true);
        plot.rescaleAxes();
        plot.replot();
        times.push_back(nowMs() - start);
    }
    return median(times);
}

#ifdef BENCH_QT_CHARTS
// The other library the plot could use: Qt Charts, given every point or our
// decimated ones, drawn into an image of the same size.
double qtChartsFrameMs(const std::vector<DecimatedPoint>& points, int frames)
{
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const DecimatedPoint& p : points)
        list.append(QPointF(p.x, p.y));
    auto* series = new QLineSeries;
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->createDefaultAxes();
    QChartView view(chart);
    view.resize(1280, 720);
    view.show();
    QApplication::processEvents();
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const double start = nowMs();
        series->replace(list);
        chart->axes(Qt::Horizontal).first()->setRange(points.front().x, points.back().x);
        chart->axes(Qt::Vertical).first()->setRange(-1.2, 1.2);
        view.viewport()->repaint();
        times.push_back(nowMs() - start);
    }
    return median(times);
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    const int frames = quick ? 5 : 25;

    // A million points of a noisy sine in view.
    PlotStore million(PlotStore::MaxCapacity);
    for (int i = 0; i < 1000000; ++i)
        million.addSample(i * 1000LL, {{"a", std::sin(i / 5000.0) + 0.1 * std::sin(i * 1.7)}});
    std::printf("{\"measure\":\"plot_frame_1M_points_decimated_ms\",\"value\":%.2f,\"goal\":16}\n",
                canvasFrameMs(million, frames));
    std::printf("{\"measure\":\"plot_frame_1M_points_library_alone_ms\",\"value\":%.2f}\n",
                libraryAloneFrameMs(million, std::max(3, frames / 5)));

#ifdef BENCH_QT_CHARTS
    std::vector<DecimatedPoint> all;
    for (std::size_t r = 0; r < million.rowCount(); ++r)
        all.push_back({million.x(r, PlotStore::XAxis::Sample), million.value(0, r)});
    std::printf("{\"measure\":\"qtcharts_frame_1M_points_ms\",\"value\":%.2f}\n", qtChartsFrameMs(all, 3));
    std::printf(
        "{\"measure\":\"qtcharts_frame_1M_points_decimated_ms\",\"value\":%.2f}\n",
        qtChartsFrameMs(decimateChannel(million, 0, PlotStore::XAxis::Sample, 0, 999999, 1200), frames));
#endif

    // 64 channels at 1,000 lines a second: the parsing's CPU per second of stream.
    PlotStore store(PlotStore::MaxCapacity);
    PlotFeed feed(store);
    std::string error;
    feed.configure({PlotSource::Plotter, {}, {}, {}}, error);
    const int seconds = quick ? 2 : 10;
    std::string second;
    std::vector<std::string> packets;
    for (int line = 0; line < 1000; ++line) {
        std::string text;
        for (int c = 0; c < 64; ++c)
            text += "ch" + std::to_string(c) + ":" + std::to_string((line * 7 + c) % 1000 - 500)
                + (c < 63 ? " " : "\n");
        second += text;
    }
    const double start = nowMs();
    for (int s = 0; s < seconds; ++s) {
        for (std::size_t at = 0; at < second.size(); at += 4096) {
            const std::string_view piece = std::string_view(second).substr(at, 4096);
            feed.take(ReceivedPacket{piece, s * 1000000000LL, s * 1000000000LL, true});
        }
    }
    const double parseMs = nowMs() - start;
    std::printf("{\"measure\":\"plot_parse_64ch_1000Hz_cpu_percent\",\"value\":%.2f,\"bytes_per_s\":%zu,"
                "\"samples\":%zu,\"goal\":15}\n",
                parseMs / (seconds * 1000.0) * 100, second.size(), store.rowCount());
    std::printf("{\"measure\":\"plot_frame_64ch_decimated_ms\",\"value\":%.2f}\n",
                canvasFrameMs(store, frames));

    // The whole window in real time: 64 channels at 1,000 lines a second
    // told as the receiver tells them (a packet every 10 ms), parsed and
    // drawn on the window's own pace; the process's CPU is the plot's.
    {
        PlotWindow window("", nullptr);
        window.resize(1280, 720);
        window.showAndRaise();
        QApplication::processEvents();
        const int liveSeconds = quick ? 2 : 10;
        const std::size_t perTick = second.size() / 100;
        std::size_t at = 0;
        QElapsedTimer clock;
        clock.start();
        QTimer device;
        QObject::connect(&device, &QTimer::timeout, [&] {
            // Whatever the ticks were late by is sent now, as a port would have held it.
            const std::size_t due = static_cast<std::size_t>(clock.elapsed()) * perTick / 10;
            while (at < due) {
                const std::size_t offset = at % second.size();
                const std::size_t n = std::min(perTick, second.size() - offset);
                window.take(ReceivedPacket{std::string_view(second).substr(offset, n), clock.nsecsElapsed(),
                                           clock.nsecsElapsed(), false});
                at += n;
            }
        });
        device.start(10);
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        QTimer::singleShot(liveSeconds * 1000, &app, &QApplication::quit);
        app.exec();
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        const double cpuMs =
            ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime);
        std::printf(
            "{\"measure\":\"plot_window_64ch_1000Hz_cpu_percent\",\"value\":%.1f,\"samples\":%zu,"
            "\"lines_sent\":%zu,\"goal\":15}\n",
            cpuMs / (liveSeconds * 10.0), window.store().rowCount(),
            at / second.size() * 1000
                + static_cast<std::size_t>(std::count(
                    second.begin(), second.begin() + static_cast<std::ptrdiff_t>(at % second.size()), '\n')));
    }

    // Memory: 64 channels of 1,000,000 points.
    if (!quick) {
        const long before = rssKb();
        PlotStore big(PlotStore::MaxCapacity);
        std::vector<NamedValue> row;
        for (int c = 0; c < 64; ++c)
            row.push_back({"ch" + std::to_string(c), 1.0 * c});
        for (int i = 0; i < 1000000; ++i)
            big.addSample(i, row);
        std::printf("{\"measure\":\"plot_memory_64ch_1M_points_mb\",\"value\":%.1f,\"goal\":1000}\n",
                    (rssKb() - before) / 1024.0);
    }
    return 0;
}
