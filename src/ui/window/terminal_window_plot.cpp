// The plot tool: a window beside this one that draws values taken from the
// received packets, opened by Ctrl+Shift+G or from the log's context menu.
#include <memory>

#include "common/texts.h"
#include "ui/panels/top_bar.h"
#include "ui/kit/translation.h"
#include "ui/plot/plot_window.h"
#include "ui/window/terminal_window.h"

namespace comtrax {

void TerminalWindow::makePlotTool()
{
    auto* plot = new PlotWindow(path("CfgPlot"), this);
    // The window is destroyed with this one, after the terminal that tells it.
    terminal_->addPacketObserver([plot](const ReceivedPacket& packet) { plot->take(packet); });
    // After connecting, the first line may have begun before the port was
    // open. The top bar tells of every check, so only a change counts.
    auto wasOpen = std::make_shared<bool>(terminal_->portOpen());
    connect(topBar_, &TopBar::connectionChanged, plot, [this, plot, wasOpen] {
        const bool open = terminal_->portOpen();
        if (open != *wasOpen && open)
            plot->restartStream();
        *wasOpen = open;
    });
    addToolAction(uiText("График..."), QKeySequence(QStringLiteral("Ctrl+Shift+G")),
                  [plot] { plot->showAndRaise(); });
}

}  // namespace comtrax
