#pragma once
// PlotWindow: the plot beside the main window. It takes every received
// packet while it is open (into the store, at once), draws at most 25 times
// a second, and keeps its choices in CfgPlot.
#include <QElapsedTimer>
#include <QWidget>

#include <string>

#include "plot/plot_feed.h"
#include "plot/plot_settings.h"
#include "plot/plot_store.h"
#include "receive/received_packet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QTimer;

namespace comtrax {

class PlotCanvas;

class PlotWindow : public QWidget {
    Q_OBJECT
public:
    // settingsPath: CfgPlot; parent: the main window it stays beside.
    PlotWindow(std::string settingsPath, QWidget* parent);
    ~PlotWindow() override;

    // Every received packet, in order; taken only while the window is open.
    void take(const ReceivedPacket& packet);
    void showAndRaise();
    // The port was opened again: the first line that comes may be a piece.
    void restartStream() { feed_.restartStream(); }

    // What the buttons do, for tests and the benchmark.
    bool applySource();  // the source row's choices; false: shown why
    void setPaused(bool paused);
    void clear();
    bool exportCsv(const QString& path);
    bool exportPng(const QString& path);
    void drawNow();  // what the frame timer does

    const PlotStore& store() const { return store_; }
    const PlotFeed& feed() const { return feed_; }
    PlotCanvas& canvas() { return *canvas_; }
    QString statusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void loadSettings();
    void saveSettings();
    void showSettings();
    void syncChannelList();
    void channelItemChanged(QListWidgetItem* item);
    void chooseColour(QListWidgetItem* item);
    void updateStatus();
    void frameTick();

    std::string settingsPath_;
    PlotSettings settings_;
    bool opened_ = false;              // shown at least once: only then is there anything to keep
    bool settingsUnreadable_ = false;  // CfgPlot exists but could not be read whole: never written
    PlotStore store_;
    PlotFeed feed_{store_};
    PlotCanvas* canvas_ = nullptr;
    QTimer* frameTimer_ = nullptr;
    uint64_t drawnGeneration_ = ~uint64_t{0};
    QElapsedTimer sinceDraw_;  // wall time since the last frame drawn
    QComboBox* source_ = nullptr;
    QLineEdit* pattern_ = nullptr;  // the regular expression
    QLineEdit* fields_ = nullptr;   // the HEX fields
    QComboBox* checksum_ = nullptr;
    QSpinBox* capacity_ = nullptr;
    QComboBox* xAxis_ = nullptr;
    QCheckBox* autoscale_ = nullptr;
    QPushButton* pause_ = nullptr;
    QListWidget* channels_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* readOut_ = nullptr;
    QString sourceError_;
    bool listing_ = false;  // filling the channel list, not the user's edit
};

}  // namespace comtrax
