// Pictures of the plot window in one language, for the documentation and for
// checking by eye that its texts fit: a live 4-channel sine stream, and the
// same paused and zoomed with the cursor read-out.
//   plot_screenshots --lang en --out DIR   (e.g. with QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMouseEvent>
#include <qcustomplot.h>

#include <cmath>
#include <string>

#include "support/temp_dir.h"
#include "ui/kit/translation.h"
#include "ui/plot/plot_canvas.h"
#include "ui/plot/plot_window.h"

using namespace comtrax;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"lang", "ru or en", "lang", "en"});
    parser.addOption({"out", "directory for the pictures", "dir", "."});
    parser.process(app);
    const auto language = parseLanguage(parser.value("lang"));
    if (!language || !installLanguage(*language))
        return 2;
    const QDir out(parser.value("out"));
    const QString tag = parser.value("lang");

    testing::TempDir dir;
    PlotWindow plot(dir.file("CfgPlot"), nullptr);
    plot.resize(1100, 620);
    plot.showAndRaise();
    std::string stream = "\n";
    for (int i = 0; i < 4000; ++i) {
        const double t = i / 200.0;
        char line[160];
        std::snprintf(line, sizeof line, "sin:%.4f cos:%.4f sum:%.4f slow:%.4f\n", std::sin(t), std::cos(t),
                      0.5 * std::sin(t) + 0.3 * std::sin(5 * t), 1.5 * std::sin(t / 4));
        stream += line;
    }
    const int64_t start = 1000000000;
    for (std::size_t at = 0; at < stream.size(); at += 512)
        plot.take(ReceivedPacket{std::string_view(stream).substr(at, 512), start, start, false});
    QApplication::processEvents();
    plot.drawNow();
    QApplication::processEvents();
    plot.grab().save(out.filePath(tag + "-plot-sine.png"));

    plot.setPaused(true);
    QCustomPlot* area = plot.canvas().plot();
    area->xAxis->setRange(1200, 1700);
    area->yAxis->setRange(-1.8, 1.8);
    area->replot();
    const QPoint at(area->xAxis->coordToPixel(1450), area->axisRect()->center().y());
    QMouseEvent move(QEvent::MouseMove, at, area->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    area->replot();
    QApplication::processEvents();
    plot.grab().save(out.filePath(tag + "-plot-paused-zoom.png"));
    return 0;
}
