#pragma once
// PlotCanvas: the drawing of a PlotStore on a QCustomPlot, which gives the
// axes, the legend, zoom and pan. Each channel is handed to the library
// already reduced to the minimum and maximum of each pixel column of the
// view, so a million samples cost what a screen of points costs.
#include <QColor>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plot/plot_store.h"

class QCustomPlot;
class QCPItemStraightLine;
class QMouseEvent;

namespace comtrax {

class PlotCanvas : public QWidget {
    Q_OBJECT
public:
    PlotCanvas(const PlotStore& store, QWidget* parent = nullptr);

    void setXAxis(PlotStore::XAxis axis);
    PlotStore::XAxis xAxis() const { return axis_; }
    void setAutoscale(bool on) { autoscale_ = on; }
    // Paused: the view stays where it is and may be zoomed and dragged;
    // running: it follows the newest samples.
    void setPaused(bool paused);
    bool paused() const { return paused_; }

    // A channel's look; channels beyond the list get a colour of their own.
    void setChannelColour(std::size_t channel, const QColor& colour);
    QColor channelColour(std::size_t channel) const;
    void setChannelShown(std::size_t channel, bool shown);
    bool channelShown(std::size_t channel) const;
    void setChannelLabel(std::size_t channel, const QString& label);
    static QColor defaultColour(std::size_t channel);

    // Draws the store as it is now (the window calls this at most 25 times
    // a second). Returns the points handed to the library.
    std::size_t redraw();
    // Forgets the channels' graphs (after the store was cleared).
    void reset();

    // The values under X, as the cursor read-out shows them.
    QString readOut(double x) const;
    QString readOutText() const { return readOut_; }
    bool savePng(const QString& path);
    QCustomPlot* plot() const { return plot_; }
    // How long the last redraw took, for the benchmark.
    int64_t lastRedrawNs() const { return lastRedrawNs_; }

signals:
    void readOutChanged(const QString& text);

private:
    void ensureGraphs();
    void fill(double from, double to);
    void mouseMoved(QMouseEvent* event);

    const PlotStore& store_;
    QCustomPlot* plot_;
    QCPItemStraightLine* cursor_ = nullptr;
    PlotStore::XAxis axis_ = PlotStore::XAxis::Sample;
    bool autoscale_ = true;
    bool paused_ = false;
    bool filling_ = false;  // our own range change, not the user's
    std::vector<QColor> colours_;
    std::vector<bool> shown_;
    std::vector<QString> labels_;
    QString readOut_;
    int64_t lastRedrawNs_ = 0;
};

}  // namespace comtrax
