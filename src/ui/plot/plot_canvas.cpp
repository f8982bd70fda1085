#include "ui/plot/plot_canvas.h"

#include <QVBoxLayout>
#include <qcustomplot.h>

#include <chrono>
#include <cmath>

#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {
// The legend lists the channels while it fits; beyond that the window's
// channel list names them.
constexpr int MaxLegendChannels = 12;
}  // namespace

PlotCanvas::PlotCanvas(const PlotStore& store, QWidget* parent)
    : QWidget(parent), store_(store), plot_(new QCustomPlot(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    plot_->setObjectName(QStringLiteral("PlotArea"));
    plot_->setNotAntialiasedElements(QCP::aeAll);
    plot_->setNoAntialiasingOnDrag(true);
    plot_->legend->setVisible(true);
    plot_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);
    plot_->xAxis->setLabel(uiText("Отсчёт"));
    cursor_ = new QCPItemStraightLine(plot_);
    cursor_->setPen(QPen(Qt::gray, 1, Qt::DashLine));
    cursor_->setVisible(false);
    plot_->setMouseTracking(true);
    connect(plot_, &QCustomPlot::mouseMove, this, &PlotCanvas::mouseMoved);
    // While paused the user zooms and drags; the new range is drawn again
    // from the store, so zooming in shows the samples themselves.
    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& range) {
                if (paused_ && !filling_) {
                    fill(range.lower, range.upper);
                    plot_->replot(QCustomPlot::rpQueuedReplot);
                }
            });
    setPaused(false);
}

QColor PlotCanvas::defaultColour(std::size_t channel)
{
    static const QColor first[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                   QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                   QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                   QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f),
                                   QColor(0xbc, 0xbd, 0x22), QColor(0x17, 0xbe, 0xcf)};
    constexpr std::size_t FirstCount = sizeof first / sizeof first[0];
    if (channel < FirstCount)
        return first[channel];
    // Hues spread by the golden angle stay apart however many there are.
    const double hue = std::fmod(static_cast<double>(channel) * 0.618033988749895, 1.0);
    return QColor::fromHsvF(static_cast<float>(hue), 0.8f, 0.75f);
}

void PlotCanvas::setXAxis(PlotStore::XAxis axis)
{
    axis_ = axis;
    plot_->xAxis->setLabel(axis == PlotStore::XAxis::Time ? uiText("Время, с") : uiText("Отсчёт"));
}

void PlotCanvas::setPaused(bool paused)
{
    paused_ = paused;
    plot_->setInteractions(paused ? QCP::iRangeDrag | QCP::iRangeZoom : QCP::Interactions());
}

void PlotCanvas::setChannelColour(std::size_t channel, const QColor& colour)
{
    if (colours_.size() <= channel)
        colours_.resize(channel + 1);
    colours_[channel] = colour;
    if (static_cast<int>(channel) < plot_->graphCount())
        plot_->graph(static_cast<int>(channel))->setPen(QPen(colour));
}

QColor PlotCanvas::channelColour(std::size_t channel) const
{
    return channel < colours_.size() && colours_[channel].isValid() ? colours_[channel]
                                                                    : defaultColour(channel);
}

void PlotCanvas::setChannelShown(std::size_t channel, bool shown)
{
    if (shown_.size() <= channel)
        shown_.resize(channel + 1, true);
    shown_[channel] = shown;
    if (static_cast<int>(channel) < plot_->graphCount())
        plot_->graph(static_cast<int>(channel))->setVisible(shown);
}

bool PlotCanvas::channelShown(std::size_t channel) const
{
    return channel >= shown_.size() || shown_[channel];
}

void PlotCanvas::setChannelLabel(std::size_t channel, const QString& label)
{
    if (labels_.size() <= channel)
        labels_.resize(channel + 1);
    labels_[channel] = label;
    if (static_cast<int>(channel) < plot_->graphCount())
        plot_->graph(static_cast<int>(channel))->setName(label);
}

void PlotCanvas::reset()
{
    plot_->clearGraphs();
    cursor_->setVisible(false);
    readOut_.clear();
    plot_->replot();
}

void PlotCanvas::ensureGraphs()
{
    while (static_cast<std::size_t>(plot_->graphCount()) < store_.channelCount()) {
        const std::size_t c = plot_->graphCount();
        QCPGraph* graph = plot_->addGraph();
        graph->setPen(QPen(channelColour(c)));
        graph->setName(c < labels_.size() && !labels_[c].isEmpty() ? labels_[c]
                                                                   : fromCp1251(store_.channelName(c)));
        graph->setVisible(channelShown(c));
        graph->setAdaptiveSampling(false);  // the points are already one column's worth
    }
    plot_->legend->setVisible(plot_->graphCount() <= MaxLegendChannels);
}

void PlotCanvas::fill(double from, double to)
{
    const int columns = std::max(1, plot_->axisRect()->width());
    QVector<double> keys;
    QVector<double> values;
    for (int c = 0; c < plot_->graphCount(); ++c) {
        QCPGraph* graph = plot_->graph(c);
        if (!graph->visible())
            continue;
        const std::vector<DecimatedPoint> points = decimateChannel(store_, c, axis_, from, to, columns);
        keys.resize(static_cast<int>(points.size()));
        values.resize(static_cast<int>(points.size()));
        for (std::size_t i = 0; i < points.size(); ++i) {
            keys[static_cast<int>(i)] = points[i].x;
            values[static_cast<int>(i)] = points[i].y;
        }
        graph->setData(keys, values, true);
    }
}

std::size_t PlotCanvas::redraw()
{
    const auto start = std::chrono::steady_clock::now();
    ensureGraphs();
    filling_ = true;
    if (!paused_ && store_.rowCount() > 0) {
        const double from = store_.x(0, axis_);
        double to = store_.x(store_.rowCount() - 1, axis_);
        if (!(to > from))
            to = from + 1;
        plot_->xAxis->setRange(from, to);
    }
    const QCPRange range = plot_->xAxis->range();
    fill(range.lower, range.upper);
    if (autoscale_ && !paused_) {
        bool found = false;
        const QCPRange values = [&] {
            QCPRange all;
            for (int c = 0; c < plot_->graphCount(); ++c) {
                if (!plot_->graph(c)->visible())
                    continue;
                bool ok = false;
                const QCPRange r = plot_->graph(c)->getValueRange(ok);
                if (ok)
                    all = found ? QCPRange(std::min(all.lower, r.lower), std::max(all.upper, r.upper)) : r;
                found = found || ok;
            }
            return all;
        }();
        if (found) {
            const double pad = values.size() > 0 ? values.size() * 0.05 : 1;
            plot_->yAxis->setRange(values.lower - pad, values.upper + pad);
        }
    }
    filling_ = false;
    std::size_t points = 0;
    for (int c = 0; c < plot_->graphCount(); ++c)
        points += plot_->graph(c)->visible() ? plot_->graph(c)->dataCount() : 0;
    plot_->replot();
    lastRedrawNs_ =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
            .count();
    return points;
}

QString PlotCanvas::readOut(double x) const
{
    if (store_.rowCount() == 0)
        return {};
    // The sample nearest to x.
    std::size_t row = store_.lowerBound(x, axis_);
    if (row >= store_.rowCount())
        row = store_.rowCount() - 1;
    if (row > 0 && std::abs(store_.x(row - 1, axis_) - x) < std::abs(store_.x(row, axis_) - x))
        --row;
    QString text = axis_ == PlotStore::XAxis::Time
        ? uiText("t = %1 с").arg(store_.x(row, axis_), 0, 'f', 6)
        : uiText("№ %1").arg(static_cast<qulonglong>(store_.sampleNumber(row)));
    for (std::size_t c = 0; c < store_.channelCount(); ++c) {
        const double v = store_.value(c, row);
        if (!channelShown(c) || std::isnan(v))
            continue;
        const QString name =
            c < labels_.size() && !labels_[c].isEmpty() ? labels_[c] : fromCp1251(store_.channelName(c));
        text += QStringLiteral("   %1: %2").arg(name, QString::number(v, 'g', 10));
    }
    return text;
}

void PlotCanvas::mouseMoved(QMouseEvent* event)
{
    if (!plot_->axisRect()->rect().contains(event->pos()))
        return;
    const double x = plot_->xAxis->pixelToCoord(event->pos().x());
    cursor_->point1->setCoords(x, 0);
    cursor_->point2->setCoords(x, 1);
    cursor_->setVisible(true);
    readOut_ = readOut(x);
    emit readOutChanged(readOut_);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

bool PlotCanvas::savePng(const QString& path)
{
    return plot_->savePng(path);
}

}  // namespace comtrax
